// Program text on Windows: the process's ANSI code page (UTF-8 where the
// manifest's activeCodePage took effect), and conversion from the system's
// ANSI code page, which the program must ask for itself since its own code
// page is no longer it.
#include "support/program_text.h"

#include <windows.h>

#include <atomic>

namespace support {

namespace {

UINT ParseCodePage(const wchar_t* digits) {
    UINT page = 0;
    for (const wchar_t* digit = digits; *digit >= L'0' && *digit <= L'9'; ++digit) {
        page = page * 10 + static_cast<UINT>(*digit - L'0');
    }
    return page;
}

// The system's ANSI code page, which -A calls of programs without the
// manifest setting use: GetACP answers for this process only. The value
// Windows starts with comes first (it is UTF-8 where the user chose that
// system-wide), then the system locale's.
UINT ReadSystemCodePage() {
    wchar_t digits[8] = {};
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", 0,
                      KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD type = 0;
        DWORD size = sizeof digits - sizeof digits[0];
        bool read = RegQueryValueExW(key, L"ACP", nullptr, &type, reinterpret_cast<BYTE*>(digits),
                                     &size) == ERROR_SUCCESS &&
                    type == REG_SZ;
        RegCloseKey(key);
        if (read && ParseCodePage(digits) != 0) {
            return ParseCodePage(digits);
        }
    }
    digits[0] = L'\0';
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits,
                       sizeof digits / sizeof digits[0]) != 0 &&
        ParseCodePage(digits) != 0) {
        return ParseCodePage(digits);
    }
    // Unicode-only locales have no ANSI code page of their own.
    return GetACP();
}

// Read once, since every line of a script without the signature asks. A
// plain atomic rather than a function-local static, whose guarded
// initialisation would bring the C++ runtime into the stub; two threads
// that race here store the same value.
std::atomic<UINT> g_system_code_page{0};

UINT SystemCodePage() {
    UINT page = g_system_code_page.load(std::memory_order_relaxed);
    if (page == 0) {
        page = ReadSystemCodePage();
        g_system_code_page.store(page, std::memory_order_relaxed);
    }
    return page;
}

bool IsAscii(const char* text) {
    for (; *text != '\0'; ++text) {
        if (static_cast<unsigned char>(*text) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool Convert(const char* text, UINT from, UINT to, char* out, size_t capacity) {
    if (capacity == 0) {
        return false;
    }
    out[0] = '\0';
    // ASCII reads the same in every ANSI code page and in UTF-8.
    if (from == to || IsAscii(text)) {
        size_t length = lstrlenA(text);
        if (length >= capacity) {
            return false;
        }
        CopyMemory(out, text, length + 1);
        return true;
    }
    int wide_length = MultiByteToWideChar(from, 0, text, -1, nullptr, 0);
    if (wide_length <= 0) {
        return false;
    }
    wchar_t* wide =
        static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, wide_length * sizeof(wchar_t)));
    if (wide == nullptr) {
        return false;
    }
    MultiByteToWideChar(from, 0, text, -1, wide, wide_length);
    // Only a code page other than UTF-8 can lack a character; UTF-8 takes
    // neither flag nor default character.
    BOOL lost = FALSE;
    bool into_utf8 = to == CP_UTF8;
    int written =
        WideCharToMultiByte(to, into_utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, out,
                            static_cast<int>(capacity > 0x7FFFFFFF ? 0x7FFFFFFF : capacity),
                            nullptr, into_utf8 ? nullptr : &lost);
    HeapFree(GetProcessHeap(), 0, wide);
    if (written <= 0 || lost) {
        out[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

bool ProgramTextIsUtf8() {
    return GetACP() == CP_UTF8;
}

bool ToProgramText(const char* text, bool from_utf8, char* out, size_t capacity) {
    return Convert(text, from_utf8 ? CP_UTF8 : SystemCodePage(), GetACP(), out, capacity);
}

bool FromProgramText(const char* text, bool to_utf8, char* out, size_t capacity) {
    return Convert(text, GetACP(), to_utf8 ? CP_UTF8 : SystemCodePage(), out, capacity);
}

}  // namespace support
