// Formatting into a fixed buffer with the C library's vsnprintf.
#include "support/text_format.h"

#include <cstdio>

namespace support {

int FormatTextList(char* buffer, size_t capacity, const char* format, va_list arguments) {
    return std::vsnprintf(buffer, capacity, format, arguments);
}

int FormatText(char* buffer, size_t capacity, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int length = FormatTextList(buffer, capacity, format, arguments);
    va_end(arguments);
    return length;
}

}  // namespace support
