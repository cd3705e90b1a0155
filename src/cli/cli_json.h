// Just enough JSON for "info --json": one object written in order, without a library.
#pragma once

#include <string>
#include <string_view>

namespace morvane::cli {

// text as a JSON string literal, quotes included; control characters, quotes and backslashes
// escaped, everything else (UTF-8 included) passed through.
std::string JsonString(std::string_view text);

// Appends a JSON value with commas placed between members and elements: callers open and close
// objects and arrays and name members; the writer tracks whether a comma is due.
class JsonWriter {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  // The name of the next member of the enclosing object.
  void Key(std::string_view name);
  void String(std::string_view value);
  void Int(long long value);
  void Null();

  const std::string& Text() const { return text_; }

 private:
  void Separate();
  void Open(char c);
  void Close(char c);

  std::string text_;
  bool needComma_ = false;
};

}  // namespace morvane::cli
