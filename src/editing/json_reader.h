// A small strict JSON reader for drawing scripts. Scripts come from files and standard input,
// so the reader treats them as hostile: the text size and the nesting depth are bounded, and
// anything outside RFC 8259 (comments, trailing commas, bare words, duplicate keys, invalid
// UTF-8 escapes) is an error with the byte offset where it was found.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

class JsonValue {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  // Array elements, or object member values in order, named by keys (keys[i] names items[i]).
  std::vector<JsonValue> items;
  std::vector<std::string> keys;

  bool IsNull() const { return kind == Kind::kNull; }
  bool IsBool() const { return kind == Kind::kBool; }
  bool IsNumber() const { return kind == Kind::kNumber; }
  bool IsString() const { return kind == Kind::kString; }
  bool IsArray() const { return kind == Kind::kArray; }
  bool IsObject() const { return kind == Kind::kObject; }
  // The member named name, or nullptr.
  const JsonValue* Find(std::string_view name) const;
  // True when the value is a number without fraction within [low, high]; stores it in out.
  bool GetInt(long long low, long long high, long long& out) const;
};

inline constexpr std::size_t kMaxJsonBytes = std::size_t{4} << 20;
inline constexpr int kMaxJsonDepth = 32;

struct JsonParseResult {
  bool ok = false;
  JsonValue value;
  std::string error;  // "at byte N: reason"
};

JsonParseResult ParseJson(std::string_view text);

}  // namespace morvane
