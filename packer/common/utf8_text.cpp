// Checking, counting and upper-casing UTF-8.
#include "packer/common/utf8_text.h"

#include <locale.h>
#include <wctype.h>

#include <cstring>

#include "support/program_text.h"

namespace vornak_pack {

namespace {

void AppendUtf8(uint32_t code, std::string* out) {
    if (code < 0x80) {
        *out += static_cast<char>(code);
        return;
    }
    int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static const uint8_t kLead[] = {0, 0xC0, 0xE0, 0xF0};
    *out += static_cast<char>(kLead[extra] | (code >> (6 * extra)));
    for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6) {
        *out += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
    }
}

// The C.UTF-8 locale, made once; glibc has shipped it built in since 2.35,
// and Debian before that. Without it towupper_l falls back to the C locale,
// which changes ASCII letters only.
locale_t CaseLocale() {
    static const locale_t locale = [] {
        locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return made != static_cast<locale_t>(nullptr)
                   ? made
                   : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

}  // namespace

size_t Utf8SequenceLength(const std::string& text, size_t at, uint32_t* code_point) {
    auto lead = static_cast<uint8_t>(text[at]);
    if (lead < 0x80) {
        *code_point = lead;
        return 1;
    }
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
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        return 0;
    }
    *code_point = value;
    return length;
}

bool IsValidUtf8(const std::string& text) {
    uint32_t code = 0;
    for (size_t at = 0; at < text.size();) {
        size_t length = Utf8SequenceLength(text, at, &code);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

bool IsUtf8NotAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return IsValidUtf8(text);
        }
    }
    return false;
}

bool BeginsWithUtf8Signature(const std::string& bytes) {
    return bytes.compare(0, std::strlen(support::kUtf8Signature), support::kUtf8Signature) == 0;
}

size_t ScriptCharacters(const std::string& text) {
    size_t count = 0;
    for (char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string Utf8NameKey(const std::string& name) {
    if (!IsValidUtf8(name)) {
        return name;
    }
    std::string key;
    uint32_t code = 0;
    for (size_t at = 0; at < name.size();) {
        at += Utf8SequenceLength(name, at, &code);
        AppendUtf8(static_cast<uint32_t>(towupper_l(static_cast<wint_t>(code), CaseLocale())),
                   &key);
    }
    return key;
}

bool Utf8NamesEqualIgnoringCase(const std::string& a, const std::string& b) {
    return Utf8NameKey(a) == Utf8NameKey(b);
}

}  // namespace vornak_pack
