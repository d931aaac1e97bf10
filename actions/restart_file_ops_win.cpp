// Restart-time file operations through MoveFileExA or WININIT.INI.
#include "actions/restart_file_ops.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "script/folder_placeholders.h"
#include "support/text.h"
#include "support/win32_values.h"

namespace actions {

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
bool AppendDeleteLine(const char* path) {
    char ini[support::kMaxPath];
    WininitPath(ini);
    DWORD length = 0;
    char* old_lines = ReadRenameSection(ini, &length);
    if (old_lines == nullptr) {
        return false;
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
    bool written = WritePrivateProfileSectionA(kRenameSection, lines, ini) != 0;
    delete[] lines;
    return written;
}

// The sources of the moves NT records for the restart: the odd items of the
// multi-string, each in NT form ("\\??\\C:\\...").
bool IsPendingMoveSource(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    bool found = false;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
            ERROR_SUCCESS &&
        size > 0) {
        char* items = new char[size + 2];
        if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(items), &size) == ERROR_SUCCESS) {
            items[size] = items[size + 1] = '\0';
            bool source = true;
            // A deletion's destination is an empty item: the walk goes by
            // the value's size, not up to the first empty item.
            for (char* item = items; item < items + size && !found;
                 item += std::strlen(item) + 1, source = !source) {
                const char* plain = std::strncmp(item, "\\??\\", 4) == 0 ? item + 4 : item;
                found = source && support::EqualsIgnoringCase(plain, path);
            }
        }
        delete[] items;
    }
    RegCloseKey(key);
    return found;
}

}  // namespace

bool WaitsForRestart(const char* path) {
    if (IsNtPlatform()) {
        return IsPendingMoveSource(path);
    }
    // WININIT.INI's lines are "target=source".
    char ini[support::kMaxPath];
    WininitPath(ini);
    DWORD length = 0;
    char* lines = ReadRenameSection(ini, &length);
    bool found = false;
    for (char* line = lines; line != nullptr && *line != '\0' && !found;
         line += std::strlen(line) + 1) {
        const char* equals = std::strchr(line, '=');
        found = equals != nullptr && support::EqualsIgnoringCase(equals + 1, path);
    }
    delete[] lines;
    return found;
}

PlatformQuery SetPlatformQuery(PlatformQuery query) {
    return g_platform_query.exchange(query);
}

bool IsNtPlatform() {
    PlatformQuery query = g_platform_query.load();
    return query != nullptr ? query() : AskWindowsForPlatform();
}

void WininitPath(char* path) {
    support::CopyText(path, support::kMaxPath, "<Windows>\\WININIT.INI");
    script::ExpandFolderPlaceholders(path);
}

bool ScheduleReplaceAtRestart(const char* source, const char* target) {
    if (IsNtPlatform()) {
        // One operation that replaces the old file: were the deletion of the
        // old file recorded on its own and the move then refused, the restart
        // would take the old file and bring no new one.
        // A new file in a deep folder may have a path too long for the
        // plain form; the extended form takes it whole.
        char extended[support::kMaxPath + 40];
        if (std::strlen(source) >= support::kMaxPath && std::strlen(source) + 4 < sizeof extended) {
            support::CopyText(extended, "\\\\?\\");
            support::AppendText(extended, source);
            source = extended;
        }
        return MoveFileExA(source, target,
                           MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
    }
    char ini[support::kMaxPath];
    WininitPath(ini);
    return WritePrivateProfileStringA(kRenameSection, target, source, ini) != 0;
}

bool ScheduleDeleteAtRestart(const char* path) {
    if (IsNtPlatform()) {
        return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
    }
    return AppendDeleteLine(path);
}

}  // namespace actions
