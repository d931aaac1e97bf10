// Where the uninstaller's own files may lie, and how a path in the system
// folder is spelt for processes that see another system folder.
//
// A 32-bit program on 64-bit Windows is shown its own system folder
// (SysWOW64) under the name system32; a 64-bit program looking at system32
// finds the real one. The uninstaller and its records are written by the
// 32-bit installer, so they have two spellings, and each test here takes
// the folders as the caller read them from the system.
#pragma once

#include <cstddef>

namespace uninstall {

// Whether path names a file directly in folder (not in a folder below it),
// compared without regard to ASCII letter case; folder may end in a
// backslash. An empty folder holds nothing.
bool LiesDirectlyIn(const char* path, const char* folder);

// When path lies in from (or below it), writes to, followed by the rest of
// path, into out (capacity bytes) and returns true. Otherwise, or when the
// result would not fit, out is path unchanged and the result false.
bool RespellFolder(const char* path, const char* from, const char* to, char* out, size_t capacity);

}  // namespace uninstall
