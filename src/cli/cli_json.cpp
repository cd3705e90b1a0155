#include "cli/cli_json.h"

#include <cstdio>

namespace morvane::cli {

std::string JsonString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

void JsonWriter::Separate() {
  if (needComma_) text_ += ',';
  needComma_ = true;
}

void JsonWriter::Open(char c) {
  Separate();
  text_ += c;
  needComma_ = false;
}

void JsonWriter::Close(char c) {
  text_ += c;
  needComma_ = true;
}

void JsonWriter::Key(std::string_view name) {
  Separate();
  text_ += JsonString(name);
  text_ += ':';
  // The value that follows belongs to this member: no comma before it.
  needComma_ = false;
}

void JsonWriter::String(std::string_view value) {
  Separate();
  text_ += JsonString(value);
}

void JsonWriter::Int(long long value) {
  Separate();
  text_ += std::to_string(value);
}

void JsonWriter::Null() {
  Separate();
  text_ += "null";
}

}  // namespace morvane::cli
