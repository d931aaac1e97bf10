// The system folder as this program and as every other program sees it.
// Only Windows code includes this header.
#pragma once

#include <cstddef>

namespace actions {

// Whether this is a 32-bit program running on 64-bit Windows. IsWow64Process
// is looked up at run time: systems before XP SP2 lack it, and there the
// answer is no.
bool RunningUnderWow64();

// Whether the record path names a file directly in the system folder, in
// either of its spellings: the folder GetSystemDirectoryA gives, and the
// one GetSystemWow64DirectoryA gives where that call exists and succeeds.
bool RecordLiesInSystemFolder(const char* record_path);

// path as every process can find it: under WoW64, a path in the folder
// GetSystemDirectoryA gives (system32, which only 32-bit programs see
// redirected) is written with the SysWOW64 folder instead. Elsewhere, or
// when that folder cannot be had, path is copied unchanged.
void SystemPathForEveryProcess(const char* path, char* out, size_t capacity);

}  // namespace actions
