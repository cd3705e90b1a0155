#include "editing/json_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

namespace morvane {
namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  bool Parse(JsonValue& out) {
    SkipSpace();
    if (!Value(out, 0)) return false;
    SkipSpace();
    if (pos_ != s_.size()) return Fail("text after the value");
    return true;
  }
  std::string Error() const { return "at byte " + std::to_string(errorPos_) + ": " + error_; }

 private:
  bool Fail(const char* why) {
    if (error_.empty()) {
      error_ = why;
      errorPos_ = pos_;
    }
    return false;
  }
  void SkipSpace() {
    while (pos_ < s_.size() &&
           (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) {
      ++pos_;
    }
  }
  bool Literal(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return Fail("unknown word");
    pos_ += word.size();
    return true;
  }

  bool Value(JsonValue& out, int depth) {
    if (depth > kMaxJsonDepth) return Fail("nested too deeply");
    if (pos_ >= s_.size()) return Fail("unexpected end");
    switch (s_[pos_]) {
      case '{':
        return Object(out, depth);
      case '[':
        return Array(out, depth);
      case '"':
        out.kind = JsonValue::Kind::kString;
        return String(out.text);
      case 't':
        out.kind = JsonValue::Kind::kBool;
        out.boolean = true;
        return Literal("true");
      case 'f':
        out.kind = JsonValue::Kind::kBool;
        return Literal("false");
      case 'n':
        out.kind = JsonValue::Kind::kNull;
        return Literal("null");
      default:
        return Number(out);
    }
  }

  // Consumes c when it is the next character.
  bool Accept(char c) {
    if (pos_ >= s_.size() || s_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  // After an item of an object or array: true to read another, false at the closing bracket or
  // on an error (ok tells which).
  bool NextItem(char close, const char* expected, bool& ok) {
    SkipSpace();
    if (Accept(',')) return true;
    ok = Accept(close) || Fail(expected);
    return false;
  }

  bool Object(JsonValue& out, int depth) {
    out.kind = JsonValue::Kind::kObject;
    ++pos_;
    SkipSpace();
    if (Accept('}')) return true;
    std::unordered_set<std::string> names;
    bool ok = true;
    do {
      SkipSpace();
      if (pos_ >= s_.size() || s_[pos_] != '"') return Fail("expected a member name");
      std::string name;
      if (!String(name)) return false;
      if (!names.insert(name).second) return Fail("duplicate member name");
      SkipSpace();
      if (!Accept(':')) return Fail("expected ':'");
      SkipSpace();
      out.keys.push_back(std::move(name));
      out.items.emplace_back();
      if (!Value(out.items.back(), depth + 1)) return false;
    } while (NextItem('}', "expected ',' or '}'", ok));
    return ok;
  }

  bool Array(JsonValue& out, int depth) {
    out.kind = JsonValue::Kind::kArray;
    ++pos_;
    SkipSpace();
    if (Accept(']')) return true;
    bool ok = true;
    do {
      SkipSpace();
      out.items.emplace_back();
      if (!Value(out.items.back(), depth + 1)) return false;
    } while (NextItem(']', "expected ',' or ']'", ok));
    return ok;
  }

  bool Hex4(unsigned& v) {
    if (s_.size() - pos_ < 4) return Fail("short \\u escape");
    v = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s_[pos_++];
      v <<= 4;
      if (c >= '0' && c <= '9') {
        v |= static_cast<unsigned>(c - '0');
      } else if (c >= 'a' && c <= 'f') {
        v |= static_cast<unsigned>(c - 'a' + 10);
      } else if (c >= 'A' && c <= 'F') {
        v |= static_cast<unsigned>(c - 'A' + 10);
      } else {
        return Fail("bad \\u escape");
      }
    }
    return true;
  }

  static void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | cp >> 6);
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | cp >> 12);
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | cp >> 18);
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  bool Escape(std::string& out) {
    if (pos_ >= s_.size()) return Fail("unexpected end");
    const char c = s_[pos_++];
    switch (c) {
      case '"':
      case '\\':
      case '/':
        out += c;
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u': {
        unsigned cp;
        if (!Hex4(cp)) return false;
        if (cp >= 0xDC00 && cp <= 0xDFFF) return Fail("lone low surrogate");
        if (cp >= 0xD800 && cp <= 0xDBFF) {
          unsigned low;
          if (s_.substr(pos_, 2) != "\\u") return Fail("lone high surrogate");
          pos_ += 2;
          if (!Hex4(low)) return false;
          if (low < 0xDC00 || low > 0xDFFF) return Fail("bad surrogate pair");
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, cp);
        return true;
      }
      default:
        return Fail("unknown escape");
    }
  }

  bool String(std::string& out) {
    ++pos_;
    while (pos_ < s_.size()) {
      const char c = s_[pos_];
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return Fail("control character in a string");
      ++pos_;
      if (c == '\\') {
        if (!Escape(out)) return false;
      } else {
        out += c;
      }
    }
    return Fail("unterminated string");
  }

  bool Number(JsonValue& out) {
    const std::size_t start = pos_;
    auto digits = [&] {
      const std::size_t from = pos_;
      while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
      return pos_ > from;
    };
    Accept('-');
    if (!Accept('0') && !digits()) return Fail("expected a value");
    if (Accept('.') && !digits()) return Fail("digits expected after '.'");
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      ++pos_;
      if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
      if (!digits()) return Fail("digits expected in the exponent");
    }
    const std::string copy(s_.substr(start, pos_ - start));
    errno = 0;
    const double v = std::strtod(copy.c_str(), nullptr);
    if (!std::isfinite(v)) return Fail("number out of range");
    out.kind = JsonValue::Kind::kNumber;
    out.number = v;
    return true;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::string error_;
  std::size_t errorPos_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Find(std::string_view name) const {
  if (!IsObject()) return nullptr;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == name) return &items[i];
  }
  return nullptr;
}

bool JsonValue::GetInt(long long low, long long high, long long& out) const {
  if (!IsNumber() || number != std::floor(number)) return false;
  if (number < static_cast<double>(low) || number > static_cast<double>(high)) return false;
  out = static_cast<long long>(number);
  return true;
}

JsonParseResult ParseJson(std::string_view text) {
  JsonParseResult result;
  if (text.size() > kMaxJsonBytes) {
    result.error = "the text is larger than " + std::to_string(kMaxJsonBytes) + " bytes";
    return result;
  }
  Parser parser(text);
  result.ok = parser.Parse(result.value);
  if (!result.ok) {
    result.error = parser.Error();
    result.value = {};
  }
  return result;
}

}  // namespace morvane
