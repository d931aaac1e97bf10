// System folders from Windows: the system and Windows folders, Program Files
// from the registry, and four shell folders.
#include "script/folder_values.h"

#include <windows.h>
#include <shlobj.h>

#include "support/registry_values.h"
#include "support/win32_values.h"

namespace script {

namespace {

// The folder calls return the length, or the size they would need when the
// buffer is too small; either failure leaves the empty text.
void KeepIfFits(UINT length, char* value) {
    if (length == 0 || length >= support::kMaxPath) {
        value[0] = '\0';
    }
}

void ReadShellFolder(int csidl, char* value) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) {
        return;
    }
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) && list != nullptr) {
        if (!SHGetPathFromIDListA(list, value)) {
            value[0] = '\0';
        }
        allocator->Free(list);
    }
    allocator->Release();
}

}  // namespace

void ReadSystemFolder(SystemFolder folder, char* value) {
    value[0] = '\0';
    switch (folder) {
        case SystemFolder::kSystem:
            KeepIfFits(GetSystemDirectoryA(value, support::kMaxPath), value);
            break;
        case SystemFolder::kWindows:
            KeepIfFits(GetWindowsDirectoryA(value, support::kMaxPath), value);
            break;
        case SystemFolder::kProgramFiles:
            support::ReadRegistryString(value, support::kMaxPath, "ProgramFilesDir",
                                        HKEY_LOCAL_MACHINE,
                                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
            break;
        case SystemFolder::kStartup:
            ReadShellFolder(CSIDL_STARTUP, value);
            break;
        case SystemFolder::kStartPrograms:
            ReadShellFolder(CSIDL_PROGRAMS, value);
            break;
        case SystemFolder::kDesktop:
            ReadShellFolder(CSIDL_DESKTOPDIRECTORY, value);
            break;
        case SystemFolder::kLocalAppData:
            ReadShellFolder(CSIDL_LOCAL_APPDATA, value);
            break;
    }
}

}  // namespace script
