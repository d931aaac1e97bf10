// Name comparison in the Windows build: the system's own, lstrcmpi, which
// the uninstaller has always used for paths. It knows the letters of the
// running system's code page, so a [CopyFile] name differing from the packed
// name only in the case of an accented letter finds its entry.
#include <windows.h>

#include "support/text.h"
#include "support/win32_values.h"

namespace support {

namespace {

// Printable ASCII only: no control characters (which the system may pass
// over) and no byte of the code page's upper half.
bool IsPrintableAscii(const char* text) {
    for (; *text != '\0'; ++text) {
        unsigned char byte = static_cast<unsigned char>(*text);
        if (byte < 0x20 || byte > 0x7E) {
            return false;
        }
    }
    return true;
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char left = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 'a' + 'A') : *a;
        char right = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 'a' + 'A') : *b;
        if (left != right) {
            return false;
        }
        if (*a == '\0') {
            return true;
        }
    }
}

}  // namespace

bool EqualsIgnoringCase(const char* a, const char* b) {
    // Between printable ASCII texts the system's answer is the ASCII one in
    // every locale (its case rules are the file system's, not the
    // language's). lstrcmpiA took 0.7 microseconds a call under Wine, and a
    // package's directory is searched entry by entry for every [CopyFile].
    if (IsPrintableAscii(a) && IsPrintableAscii(b)) {
        return EqualsIgnoringAsciiCase(a, b);
    }
    // lstrcmpiA reads its texts in the code page of the user's locale, not
    // in program text, which the manifest makes UTF-8; so the texts are
    // turned into UTF-16 as program text and compared as lstrcmpiA compares
    // once it has converted them, by lstrcmpiW.
    wchar_t wide_a[kMaxPath];
    wchar_t wide_b[kMaxPath];
    if (MultiByteToWideChar(CP_ACP, 0, a, -1, wide_a, kMaxPath) == 0 ||
        MultiByteToWideChar(CP_ACP, 0, b, -1, wide_b, kMaxPath) == 0) {
        return lstrcmpiA(a, b) == 0;
    }
    return lstrcmpiW(wide_a, wide_b) == 0;
}

}  // namespace support
