// The few file-system calls the portable core needs.
//
// The core only ever sees Windows paths (backslash separators). On Windows
// these calls are the Win32 functions of the same purpose; on Linux a small
// implementation of our own turns backslashes into slashes at this boundary.
// file_system_win.cpp or file_system_posix.cpp is chosen by the build.
#pragma once

#include "support/win32_values.h"

#include <cstdint>

namespace support::fs {

using NativeHandle = void*;  // nullptr when nothing is open

// CreateFileA semantics: access is kGenericRead/kGenericWrite, creation is
// kCreateNew/kCreateAlways/kOpenExisting/kOpenAlways, share allows
// read+write sharing.
NativeHandle OpenFile(const char* path, uint32_t access, uint32_t creation, bool share);

// ReadFile semantics: returns whether the call succeeded; *delivered gets the
// number of bytes read, *error the platform's last error when it did not
// deliver everything (0 at end of file).
bool ReadBytes(NativeHandle handle, void* buffer, uint32_t count, uint32_t* delivered,
               uint32_t* error);
bool WriteBytes(NativeHandle handle, const void* buffer, uint32_t count, uint32_t* written);
// SetFilePointer(offset, no high part, FILE_BEGIN); a negative offset leaves
// the position alone.
void SeekTo(NativeHandle handle, int32_t offset);
// SetFilePointer(delta, no high part, FILE_CURRENT): moves the position by
// delta bytes from where it is.
void SeekBy(NativeHandle handle, int32_t delta);
// Returns false when the size cannot be had.
bool QuerySize(NativeHandle handle, uint64_t* size);
bool CloseFile(NativeHandle handle);
// FlushFileBuffers (fsync on Linux): returns once what was written is on the
// disk itself, not only in the system's cache.
bool FlushFile(NativeHandle handle);

bool DeleteFileAt(const char* path);
bool CreateFolder(const char* path);
bool RemoveFolder(const char* path);
// Removes a symbolic link or junction itself, never what it points at.
bool RemoveLink(const char* path, bool is_folder);

// Creates a new folder for this process's private files; fails when the name
// exists already (so nobody can hand us a folder prepared in advance). When
// the process runs elevated, the folder gets a protected access list of its
// own: full control for Administrators and SYSTEM, and an OWNER RIGHTS entry
// so that its owner gains nothing implicitly. Everything made inside it
// inherits that list, so the unelevated user, and whatever runs as them, can
// neither read nor change what the installer keeps there. Not elevated, the
// folder gets the default access of where it is made (on Linux: 0700).
bool CreatePrivateFolder(const char* path);
// The elevated case of CreatePrivateFolder, whatever the process's token:
// the folder with the protected access list described there.
bool CreateAdministratorsFolder(const char* path);

// GetTempPathA: the temporary folder with a trailing backslash; 0 on failure.
uint32_t TempFolderPath(char* buffer, uint32_t capacity);
// GetTempFileNameA with unique value 0: makes a unique empty file from the
// folder and the first three characters of the prefix. Returns 0 on failure.
uint32_t MakeTempFileName(const char* folder, const char* prefix, char* out_path);

// One item of a folder search.
struct FindItem {
    char name[kMaxPath];
    bool is_folder;
    // A symbolic link or junction (a reparse point on Windows): its own
    // entry, which must never be followed by a recursive delete.
    bool is_link;
};
using FindHandle = void*;
// FindFirstFileA on "folder\pattern"; nullptr when nothing matches.
FindHandle FindFirst(const char* search_spec, FindItem* item);
bool FindNext(FindHandle handle, FindItem* item);
void FindEnd(FindHandle handle);

uint32_t TickCount();

}  // namespace support::fs
