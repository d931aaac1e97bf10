// Program text on Linux: UTF-8. Text of packages without the UTF-8
// signature is taken as Windows-1252, the code page vornak-pack assumes for
// them, so host tools and tests read such a package as Western Windows does.
#include "support/program_text.h"

#include <cstdint>
#include <cstring>

namespace support {

namespace {

// Windows-1252's 0x80-0x9F; its undefined bytes map to the C1 control of
// the same value, as Windows converts them.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Appends code point (below 0x10000) as UTF-8; false when it does not fit
// with room left for the NUL.
bool AppendUtf8(uint16_t code, char* out, size_t capacity, size_t* used) {
    char bytes[3];
    size_t count = 0;
    if (code < 0x80) {
        bytes[count++] = static_cast<char>(code);
    } else if (code < 0x800) {
        bytes[count++] = static_cast<char>(0xC0 | (code >> 6));
        bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes[count++] = static_cast<char>(0xE0 | (code >> 12));
        bytes[count++] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes[count++] = static_cast<char>(0x80 | (code & 0x3F));
    }
    if (*used + count >= capacity) {
        return false;
    }
    std::memcpy(out + *used, bytes, count);
    *used += count;
    return true;
}

bool CopyWhole(const char* text, char* out, size_t capacity) {
    size_t length = std::strlen(text);
    if (length >= capacity) {
        return false;
    }
    std::memcpy(out, text, length + 1);
    return true;
}

}  // namespace

bool ProgramTextIsUtf8() {
    return true;
}

bool ToProgramText(const char* text, bool from_utf8, char* out, size_t capacity) {
    if (capacity == 0) {
        return false;
    }
    out[0] = '\0';
    if (from_utf8) {
        return CopyWhole(text, out, capacity);
    }
    size_t used = 0;
    for (; *text != '\0'; ++text) {
        unsigned char byte = static_cast<unsigned char>(*text);
        uint16_t code = (byte >= 0x80 && byte < 0xA0) ? kHighControls[byte - 0x80] : byte;
        if (!AppendUtf8(code, out, capacity, &used)) {
            out[0] = '\0';
            return false;
        }
    }
    out[used] = '\0';
    return true;
}

bool FromProgramText(const char* text, bool to_utf8, char* out, size_t capacity) {
    if (capacity == 0) {
        return false;
    }
    out[0] = '\0';
    if (to_utf8) {
        return CopyWhole(text, out, capacity);
    }
    size_t used = 0;
    while (*text != '\0') {
        unsigned char lead = static_cast<unsigned char>(*text);
        uint32_t code = lead;
        int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0) {
            out[0] = '\0';
            return false;
        }
        code = extra == 0 ? lead : lead & (0x3F >> extra);
        ++text;
        for (int i = 0; i < extra; ++i, ++text) {
            if ((static_cast<unsigned char>(*text) & 0xC0) != 0x80) {
                out[0] = '\0';
                return false;
            }
            code = (code << 6) | (static_cast<unsigned char>(*text) & 0x3F);
        }
        int byte = (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) ? static_cast<int>(code) : -1;
        for (int i = 0; i < 32 && byte < 0; ++i) {
            if (kHighControls[i] == code) {
                byte = 0x80 + i;
            }
        }
        if (byte < 0 || used + 1 >= capacity) {
            out[0] = '\0';
            return false;
        }
        out[used++] = static_cast<char>(byte);
    }
    out[used] = '\0';
    return true;
}

}  // namespace support
