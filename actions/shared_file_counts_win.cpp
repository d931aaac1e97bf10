// Shared-file counts in the registry.
#include "actions/shared_file_counts.h"

#include <windows.h>

#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/win32_values.h"

namespace actions {

namespace {

const char kSharedCountsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The count of path, 0 for none (or a value that is not a number).
DWORD ReadCount(HKEY key, const char* path) {
    DWORD type = 0;
    DWORD count = 0;
    DWORD size = sizeof count;
    if (RegQueryValueExA(key, path, nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof count) {
        return 0;
    }
    return count;
}

}  // namespace

bool IsInSharedPlace(const char* path) {
    char folder[support::kMaxPath];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length > 0 && length < sizeof folder && support::IsAtOrBelowFolder(path, folder)) {
        return true;
    }
    support::ReadRegistryString(folder, sizeof folder, "CommonFilesDir", HKEY_LOCAL_MACHINE,
                                kCurrentVersionKey);
    return support::IsAbsolutePath(folder) && support::IsAtOrBelowFolder(path, folder);
}

bool AddSharedFileCount(const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedCountsKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    DWORD count = ReadCount(key, path) + 1;
    LONG status = RegSetValueExA(key, path, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                                 sizeof count);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

unsigned long SharedFileCount(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedCountsKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return 0;
    }
    DWORD count = ReadCount(key, path);
    RegCloseKey(key);
    return count;
}

bool ReleaseSharedFileCount(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedCountsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD count = ReadCount(key, path);
    bool held = count > 1;
    if (held) {
        --count;
        RegSetValueExA(key, path, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                       sizeof count);
    } else if (count == 1) {
        RegDeleteValueA(key, path);
    }
    RegCloseKey(key);
    return held;
}

}  // namespace actions
