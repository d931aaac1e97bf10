// The two spellings of the system folder under WoW64.
#include "actions/system_folders.h"

#include <windows.h>

#include "support/system_libraries.h"
#include "support/text.h"
#include "support/win32_values.h"
#include "uninstall/system_folder_paths.h"

namespace actions {

namespace {

// The folder call's text, or the empty text when it fails or does not fit.
void KeepIfFits(UINT length, char* folder) {
    if (length == 0 || length >= support::kMaxPath) {
        folder[0] = '\0';
    }
}

void ReadSystemFolder(char* folder) {
    folder[0] = '\0';
    KeepIfFits(GetSystemDirectoryA(folder, support::kMaxPath), folder);
}

// Not imported: Windows 2000 has no GetSystemWow64DirectoryA, and the stub
// must still start there.
void ReadWow64Folder(char* folder) {
    folder[0] = '\0';
    using GetWow64Folder = UINT(WINAPI*)(char*, UINT);
    auto get_folder = reinterpret_cast<GetWow64Folder>(reinterpret_cast<void*>(
        support::SystemProcedure("kernel32.dll", "GetSystemWow64DirectoryA")));
    if (get_folder != nullptr) {
        KeepIfFits(get_folder(folder, support::kMaxPath), folder);
    }
}

}  // namespace

bool RunningUnderWow64() {
    using IsWow64 = BOOL(WINAPI*)(HANDLE, BOOL*);
    auto is_wow64 = reinterpret_cast<IsWow64>(
        reinterpret_cast<void*>(support::SystemProcedure("kernel32.dll", "IsWow64Process")));
    BOOL wow64 = FALSE;
    return is_wow64 != nullptr && is_wow64(GetCurrentProcess(), &wow64) && wow64;
}

bool RecordLiesInSystemFolder(const char* record_path) {
    char folder[support::kMaxPath];
    ReadSystemFolder(folder);
    if (uninstall::LiesDirectlyIn(record_path, folder)) {
        return true;
    }
    ReadWow64Folder(folder);
    return uninstall::LiesDirectlyIn(record_path, folder);
}

void SystemPathForEveryProcess(const char* path, char* out, size_t capacity) {
    char system[support::kMaxPath];
    char wow64[support::kMaxPath] = "";
    ReadSystemFolder(system);
    if (RunningUnderWow64()) {
        ReadWow64Folder(wow64);
    }
    uninstall::RespellFolder(path, system, wow64, out, capacity);
}

}  // namespace actions
