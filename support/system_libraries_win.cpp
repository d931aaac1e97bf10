// Restricted DLL search and run-time loading of system DLLs.
#include "support/system_libraries.h"
#include "support/win32_values.h"

#include "support/text.h"

namespace support {

namespace {

bool g_search_restricted = false;

}  // namespace

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    auto set_directories = reinterpret_cast<SetDirectories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set_directories != nullptr && set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        g_search_restricted = true;
        return;
    }
    using SetDirectory = BOOL(WINAPI*)(const char*);
    auto set_directory = reinterpret_cast<SetDirectory>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (set_directory != nullptr) {
        set_directory("");
    }
}

HMODULE LoadSystemLibrary(const char* name) {
    if (g_search_restricted) {
        // By name, so that the manifest's side-by-side version (common
        // controls 6) is still found; the search itself sees only the
        // system folder.
        return LoadLibraryA(name);
    }
    char path[support::kMaxPath];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !AppendText(path, "\\") ||
        !AppendText(path, name)) {
        return nullptr;
    }
    return LoadLibraryA(path);
}

HMODULE LoadInstalledLibrary(const char* path) {
    if (g_search_restricted) {
        return LoadLibraryExA(path, nullptr,
                              LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    }
    // Systems without the search flags look in the library's folder first
    // when it is loaded by full path with the altered search order.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC SystemProcedure(const char* library, const char* procedure) {
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) {
        module = LoadSystemLibrary(library);
    }
    return module == nullptr ? nullptr : GetProcAddress(module, procedure);
}

}  // namespace support
