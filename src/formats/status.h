// How codecs and loaders report what happened: an error code the program branches on and a
// message for people. Codecs never throw and never show messages; the command level does.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace morvane {

enum class ErrorCode {
  kNone = 0,
  kCannotOpen,     // the file could not be opened or read
  kCannotWrite,    // the file could not be written or replaced
  kTruncated,      // the data ends before a structure it announces
  kBadFormat,      // the data is not of the expected kind, or contradicts itself
  kUnsupported,    // a valid variant this program does not read (compression, depth...)
  kTooLarge,       // larger than any image the program will allocate
  kOutOfMemory,    // a buffer could not be allocated
  kLibrary,        // an image library reported an error (the message holds its text)
  kNoImages,       // the object holds nothing that could be read
  kChangedOnDisk,  // the file is no longer the one that was read
};

std::string_view ErrorCodeName(ErrorCode code);

class Status {
 public:
  Status() = default;
  Status(ErrorCode code, std::string message) : code_(code), message_(std::move(message)) {}
  static Status Ok() { return {}; }

  bool ok() const { return code_ == ErrorCode::kNone; }
  explicit operator bool() const { return ok(); }
  ErrorCode code() const { return code_; }
  const std::string& message() const { return message_; }

  // Wraps an inner error with the context it happened in, keeping its code.
  Status WithContext(std::string_view context) const {
    if (ok()) return *this;
    return {code_, std::string(context) + ": " + message_};
  }

 private:
  ErrorCode code_ = ErrorCode::kNone;
  std::string message_;
};

// A value or the Status that explains why there is none.
template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}          // NOLINT(google-explicit-constructor)
  Result(Status status) : status_(std::move(status)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace morvane
