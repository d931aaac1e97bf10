// Formatting into a fixed buffer with the system C runtime (msvcrt).
//
// Its _vsnprintf leaves the buffer unterminated when the text fills it and
// returns -1 when the text is cut; both are mended here, and the full length
// comes from _vscprintf, so callers see snprintf's contract.
#include "support/text_format.h"

#include <cstdio>

namespace support {

int FormatTextList(char* buffer, size_t capacity, const char* format, va_list arguments) {
    if (capacity == 0) {
        return _vscprintf(format, arguments);
    }
    va_list again;
    va_copy(again, arguments);
    int length = _vsnprintf(buffer, capacity, format, arguments);
    if (length < 0 || static_cast<size_t>(length) >= capacity) {
        buffer[capacity - 1] = '\0';
        length = _vscprintf(format, again);
    }
    va_end(again);
    return length;
}

int FormatText(char* buffer, size_t capacity, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int length = FormatTextList(buffer, capacity, format, arguments);
    va_end(arguments);
    return length;
}

}  // namespace support
