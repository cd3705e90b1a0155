// Glue between libpng's C callbacks and the PNG codec (not part of the public interface).
//
// libpng reports a fatal error by jumping back to the setjmp of the operation. The code between
// that setjmp and any libpng call therefore keeps nothing with a destructor on its stack: every
// buffer lives in a context object owned by the caller, which also destroys the structures.
#pragma once

#include <png.h>

#include <cstring>

namespace morvane::png_glue {

// The library's message of the error that ended an operation.
struct ErrorState {
  char message[200] = {};
};

// libpng's error callback: keeps the message and jumps back; it never returns.
[[noreturn]] inline void OnError(png_structp png, png_const_charp message) {
  if (auto* state = static_cast<ErrorState*>(png_get_error_ptr(png))) {
    std::strncpy(state->message, message != nullptr ? message : "unknown error",
                 sizeof(state->message) - 1);
  }
  png_longjmp(png, 1);
}

// Warnings are not shown: a codec never talks to the user.
inline void OnWarning(png_structp, png_const_charp) {}

}  // namespace morvane::png_glue
