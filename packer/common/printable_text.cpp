// Escaping control characters for the terminal.
#include "packer/common/printable_text.h"

#include <cstdint>
#include <cstdio>

#include "packer/common/utf8_text.h"

namespace vornak_pack {

namespace {

std::string Escaped(const char* format, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
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
