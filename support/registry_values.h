// Registry value helpers: write a number, write a string, read a string,
// delete one key.
//
// Each call opens its key (the writes create it), does one thing and closes
// it again.
// None keeps a handle, shows a message or retries; a null root makes every
// call fail without effect. Windows-only: callers are Win32 code.
#pragma once

#include <windows.h>

namespace support {

// Writes number as a REG_DWORD, creating path and any missing parent keys.
// An empty name addresses the key's default value. Both writers return
// whether the value was written.
bool WriteRegistryDword(DWORD number, const char* name, HKEY root, const char* path);

// Writes data as a REG_SZ (its characters and the NUL), creating path and
// any missing parent keys.
bool WriteRegistryString(const char* data, const char* name, HKEY root, const char* path);

// Reads the value into buffer (size bytes). Any failure, a missing key or
// value, or one longer than the buffer leaves the empty text. A missing key
// stays missing.
void ReadRegistryString(char* buffer, DWORD size, const char* name, HKEY root, const char* path);

// Deletes the subkey name (which must have no subkeys of its own) of
// root\parent. Returns the Win32 status: the open failure's code when the
// parent cannot be opened, otherwise that of closing the parent.
LONG DeleteRegistryKey(HKEY root, const char* parent, const char* name);

}  // namespace support
