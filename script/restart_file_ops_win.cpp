// Restart-time file operations through MoveFileExA or WININIT.INI.
#include "script/restart_file_ops.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "script/folder_placeholders.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace script {

namespace {

std::atomic<PlatformQuery> g_platform_query{nullptr};

bool AskWindowsForPlatform() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// WININIT.INI's restart-time section; the file names it "[rename]".
constexpr char kRenameSection[] = "rename";
// The consumer-family renamer reads "destination=source"; NUL as the
// destination deletes the source.
constexpr char kDeleteKey[] = "NUL";

// The section's current "key=value" lines, each ending in a NUL, into a new
// block; *length gets the bytes used before the closing NUL. The profile
// call cuts a section that does not fit, so the block grows until it fits.
char* ReadRenameSection(const char* ini, DWORD* length) {
    for (DWORD size = 4096; size <= (1u << 24); size *= 2) {
        char* block = new char[size];
        DWORD got = GetPrivateProfileSectionA(kRenameSection, block, size, ini);
        if (got + 2 < size) {
            *length = got;
            return block;
        }
        delete[] block;
    }
    *length = 0;
    return nullptr;
}

// Adds a "NUL=path" line below the ones already there. Every deletion uses
// the same key, and WritePrivateProfileStringA would overwrite the previous
// line of that key, so the section is rewritten whole with the new line at
// its end instead.
void AppendDeleteLine(const char* path) {
    char ini[support::kMaxPath];
    WininitPath(ini);
    DWORD length = 0;
    char* old_lines = ReadRenameSection(ini, &length);
    if (old_lines == nullptr) {
        return;
    }
    size_t line_size = sizeof kDeleteKey + std::strlen(path) + 1;
    char* lines = new char[length + line_size + 1];
    std::memcpy(lines, old_lines, length);
    delete[] old_lines;
    char* line = lines + length;
    support::CopyText(line, line_size, kDeleteKey);
    support::AppendText(line, line_size, "=");
    support::AppendText(line, line_size, path);
    lines[length + line_size] = '\0';
    WritePrivateProfileSectionA(kRenameSection, lines, ini);
    delete[] lines;
}

}  // namespace

PlatformQuery SetPlatformQuery(PlatformQuery query) {
    return g_platform_query.exchange(query);
}

bool IsNtPlatform() {
    PlatformQuery query = g_platform_query.load();
    return query != nullptr ? query() : AskWindowsForPlatform();
}

void WininitPath(char* path) {
    support::CopyText(path, support::kMaxPath, "<Windows>\\WININIT.INI");
    ExpandFolderPlaceholders(path);
}

void ScheduleReplaceAtRestart(const char* source, const char* target) {
    if (IsNtPlatform()) {
        // The restart carries these out in the order given: the old file goes
        // first, so that the move does not find its destination taken.
        MoveFileExA(target, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        MoveFileExA(source, target, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    char ini[support::kMaxPath];
    WininitPath(ini);
    WritePrivateProfileStringA(kRenameSection, target, source, ini);
}

void ScheduleDeleteAtRestart(const char* path) {
    if (IsNtPlatform()) {
        MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    AppendDeleteLine(path);
}

}  // namespace script
