// Formatting into a fixed buffer with the C library's vsnprintf.
#include "support/text_format.h"

#include <cstdarg>
#include <cstdio>

namespace support {

int FormatText(char* buffer, size_t capacity, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(buffer, capacity, format, arguments);
    va_end(arguments);
    return length;
}

}  // namespace support
