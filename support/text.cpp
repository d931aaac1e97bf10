// Bounded text operations on fixed-size buffers.
#include "support/text.h"

#include <cstring>

namespace support {

bool CopyText(char* destination, size_t capacity, const char* source) {
    if (capacity == 0) {
        return false;
    }
    size_t length = std::strlen(source);
    bool fits = length < capacity;
    if (!fits) {
        length = capacity - 1;
    }
    std::memmove(destination, source, length);
    destination[length] = '\0';
    return fits;
}

size_t BoundedLength(const char* text, size_t capacity) {
    size_t length = 0;
    while (length < capacity && text[length] != '\0') {
        ++length;
    }
    return length;
}

bool AppendText(char* destination, size_t capacity, const char* source) {
    size_t used = BoundedLength(destination, capacity);
    if (used >= capacity) {
        return false;
    }
    return CopyText(destination + used, capacity - used, source);
}

}  // namespace support
