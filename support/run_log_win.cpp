// The run log's platform part on Windows: local time, the code page's text
// as UTF-8, and the system's words for an error.
#include <windows.h>

#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"

namespace support {

void LogTimeStamp(char* buffer, size_t capacity) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    FormatText(buffer, capacity, "%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth,
               now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
}

void ToUtf8(const char* text, char* buffer, size_t capacity) {
    if (capacity == 0) {
        return;
    }
    // A line longer than this is cut rather than lost.
    char cut[1500];
    CopyText(cut, text);
    WCHAR wide[sizeof cut];
    if (MultiByteToWideChar(CP_ACP, 0, cut, -1, wide, sizeof wide / sizeof wide[0]) == 0 ||
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, buffer, static_cast<int>(capacity), nullptr,
                            nullptr) == 0) {
        CopyText(buffer, capacity, cut);
    }
}

void SystemErrorText(unsigned long code, char* buffer, size_t capacity) {
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, buffer, static_cast<DWORD>(capacity), nullptr);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' ||
                          buffer[length - 1] == ' ')) {
        buffer[--length] = '\0';
    }
    if (length == 0) {
        FormatText(buffer, capacity, "error %lu", code);
    }
}

}  // namespace support
