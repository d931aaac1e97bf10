// The counts Windows installers keep for files in shared places: one
// REG_DWORD under HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs,
// named by the file's full path, that every installer of the file raises and
// every uninstaller lowers; the file may go only when its count reaches
// zero. Other products' installers read and write the same values.
// Only Windows code includes this header.
#pragma once

namespace actions {

// Whether path lies in the system folder or in Common Files ("CommonFilesDir"
// of HKLM\Software\Microsoft\Windows\CurrentVersion): the places where a file
// is shared with other products.
bool IsInSharedPlace(const char* path);

// Raises the count of path by one (from none to 1). Returns whether the new
// count was written.
bool AddSharedFileCount(const char* path);

// The count of path: 0 when it has none (or one that is not a number).
unsigned long SharedFileCount(const char* path);

// Lowers the count of path by one; at zero the value is deleted. Returns
// whether the count still holds the file for some other installation. A file
// without a count is held by none.
bool ReleaseSharedFileCount(const char* path);

}  // namespace actions
