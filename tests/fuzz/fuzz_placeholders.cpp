// Fuzzes placeholder expansion: arbitrary text and arbitrary values for the
// eight placeholders, checked for staying inside a guarded buffer.
#include <cstdint>
#include <cstring>

#include "script/folder_placeholders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;
    }
    // The input is nine NUL-separated texts: the path, then the values.
    static script::PlaceholderValues values;
    std::memset(&values, 0, sizeof values);
    char text[260 + 16];
    std::memset(text, 0x5A, sizeof text);
    const char* cursor = reinterpret_cast<const char*>(data);
    const char* end = cursor + size;
    size_t part = 0;
    while (cursor < end && part <= script::kPlaceholderCount) {
        const char* stop = static_cast<const char*>(std::memchr(cursor, '\0', end - cursor));
        size_t length = (stop ? stop : end) - cursor;
        char* target = part == 0 ? text : values.text[part - 1];
        size_t copied = length < 259 ? length : 259;
        std::memcpy(target, cursor, copied);
        target[copied] = '\0';
        if (part > 0) {
            values.present[part - 1] = true;
        }
        ++part;
        cursor += length + 1;
    }
    if (part == 0) {
        text[0] = '\0';
    }
    script::ExpandWithValues(text, 260, &values);
    // The guard after the 260 bytes must be untouched and the result ended.
    for (size_t i = 260; i < sizeof text; ++i) {
        if (text[i] != 0x5A) {
            __builtin_trap();
        }
    }
    if (std::memchr(text, '\0', 260) == nullptr) {
        __builtin_trap();
    }
    return 0;
}
