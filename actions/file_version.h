// What a file's version resource says: its file version, and whether it asks
// to be registered through DllRegisterServer ("OLESelfRegister").
#pragma once

#include <cstdint>

namespace actions {

// The file version, dwFileVersionMS and dwFileVersionLS of the fixed file
// information. Both are 0 for a missing file or one without a readable
// version resource.
void ReadFileVersion(const char* path, uint32_t* ms, uint32_t* ls);

// Whether the version resource's string table, in its first translation,
// holds an "OLESelfRegister" value. Its text does not matter.
bool DeclaresSelfRegistration(const char* path);

// The same for a file open for reading (void* is its HANDLE), its resource
// found through the handle: a file being installed is never opened again
// by its name.
void ReadFileVersion(void* file, uint32_t* ms, uint32_t* ls);
bool DeclaresSelfRegistration(void* file);

}  // namespace actions
