// Where the program takes its DLLs from.
//
// Installers are usually started from a downloads folder, where anyone may
// have dropped a DLL named like a system one. The search is restricted to the
// system folder before anything else runs, and the DLLs that are not always
// taken from there (common controls, version information) are loaded at run
// time, after the restriction, instead of being imported.
#pragma once

#include <windows.h>

namespace support {

// Restricts the DLL search to the system folder: SetDefaultDllDirectories
// where the system has it, otherwise SetDllDirectoryA("") at least removes
// the current folder.
void RestrictDllSearch();

// Loads a system DLL by name: from the system folder only (by full path when
// the search could not be restricted). Null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// Loads an installed library by its full path, its own dependencies found
// beside it and then in the system folder, as its own folder is where a
// component's installer puts them. The search set at start (system folder
// only) would not find them there.
HMODULE LoadInstalledLibrary(const char* path);

// The address of an export of a system DLL, loading the DLL once.
FARPROC SystemProcedure(const char* library, const char* procedure);

}  // namespace support
