// Windows-1252 names compared as Windows compares them, letter case aside.
#include "support/windows_1252.h"

namespace support {

namespace {

// The letters that count as two.
struct Expansion {
    unsigned char byte;
    char form[2];
};

constexpr Expansion kExpansions[] = {
    {0x8C, {'O', 'E'}}, {0x9C, {'O', 'E'}}, {0xC6, {'A', 'E'}}, {0xE6, {'A', 'E'}},
    {0xDE, {'T', 'H'}}, {0xFE, {'T', 'H'}}, {0xDF, {'S', 'S'}},
};

constexpr unsigned char kSoftHyphen = 0xAD;
constexpr unsigned char kModifierCircumflex = 0x88;

// The upper-case letter of a lower-case one; any other byte unchanged.
unsigned char UpperCase(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z') {
        return static_cast<unsigned char>(byte - 'a' + 'A');
    }
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) {
        return static_cast<unsigned char>(byte - 0x20);
    }
    switch (byte) {
        case 0x9A:
            return 0x8A;
        case 0x9E:
            return 0x8E;
        case 0xFF:
            return 0x9F;
        default:
            return byte;
    }
}

// Reads a text's comparison form one byte at a time.
class ComparisonForm {
  public:
    explicit ComparisonForm(const char* text) : rest_(text) {}

    // The next byte of the form, or -1 at its end.
    int Next() {
        while (used_ == length_) {
            if (*rest_ == '\0') {
                return -1;
            }
            length_ = Windows1252ComparisonForm(static_cast<unsigned char>(*rest_++), form_);
            used_ = 0;
        }
        return static_cast<unsigned char>(form_[used_++]);
    }

  private:
    const char* rest_;
    char form_[2] = {};
    int length_ = 0;
    int used_ = 0;
};

}  // namespace

int Windows1252ComparisonForm(unsigned char byte, char* form) {
    if (byte == kSoftHyphen) {
        return 0;
    }
    for (const Expansion& expansion : kExpansions) {
        if (expansion.byte == byte) {
            form[0] = expansion.form[0];
            form[1] = expansion.form[1];
            return 2;
        }
    }
    form[0] = static_cast<char>(byte == kModifierCircumflex ? '^' : UpperCase(byte));
    return 1;
}

bool EqualsIgnoringCaseWindows1252(const char* a, const char* b) {
    ComparisonForm left(a);
    ComparisonForm right(b);
    for (;;) {
        int left_byte = left.Next();
        if (left_byte != right.Next()) {
            return false;
        }
        if (left_byte < 0) {
            return true;
        }
    }
}

}  // namespace support
