// Escaping control characters for the terminal.
#include "packer/common/printable_text.h"

#include <cstdint>
#include <cstdio>

namespace vornak_pack {

namespace {

std::string Escaped(const char* format, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The length of the valid UTF-8 sequence at text[at], or 0 when the bytes
// there are not one; *code_point gets its value.
size_t Utf8SequenceLength(const std::string& text, size_t at, uint32_t* code_point) {
    auto lead = static_cast<uint8_t>(text[at]);
    size_t length = lead > 0xF4 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    uint32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        auto next = static_cast<uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        return 0;
    }
    *code_point = value;
    return length;
}

}  // namespace

std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        auto byte = static_cast<uint8_t>(text[at]);
        if (byte < 0x80) {
            out +=
                byte < 0x20 || byte == 0x7F ? Escaped("\\x%02X", byte) : std::string(1, text[at]);
            ++at;
            continue;
        }
        uint32_t code_point = 0;
        size_t length = Utf8SequenceLength(text, at, &code_point);
        if (length == 0) {
            out += Escaped("\\x%02X", byte);
            ++at;
        } else {
            out += code_point <= 0x9F ? Escaped("\\u%04X", code_point) : text.substr(at, length);
            at += length;
        }
    }
    return out;
}

}  // namespace vornak_pack
