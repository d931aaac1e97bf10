// Formatting into a fixed buffer, with the C99 snprintf contract: the result
// is always terminated and cut at the buffer's end, and the return value is
// the length the whole text would have had (negative on a format error).
//
// The installer formats nothing but texts and whole numbers. On Windows this
// goes to the system C runtime's formatter rather than the compiler
// runtime's own, which would add a floating-point formatter of some 25 KB to
// a stub whose size every download pays for.
#pragma once

#include <cstdarg>
#include <cstddef>

namespace support {

int FormatText(char* buffer, size_t capacity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// The same with the arguments already gathered.
int FormatTextList(char* buffer, size_t capacity, const char* format, va_list arguments)
    __attribute__((format(printf, 3, 0)));

}  // namespace support
