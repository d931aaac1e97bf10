// Installing one file of the package: the [CopyFile] action.
//
// The entry is unpacked to a temporary file, the version rule decides whether
// an existing target may be replaced, and a target in use is replaced at the
// next restart instead. Files that ask for OLE self-registration are queued
// and registered once, when the install worker ends.
#pragma once

#include "support/string_list.h"

namespace script {

// Installs the package entry entry_name at target_path. Both are writable
// 260-byte buffers whose placeholders are expanded in place, so the caller
// sees the expanded target afterwards. *abort is set when the install worker
// must stop (damaged entry, or Cancel after a failed copy), cleared otherwise.
void InstallFile(char* entry_name, char* target_path, bool* abort);

// Schedules temporary_path to replace target_path at the next restart and
// sets app::RebootNeeded. Always succeeds from the caller's view.
bool ReplaceAtRestart(const char* temporary_path, const char* target_path);

// Full paths of installed files that ask for self-registration, in install
// order; filled by QueueSelfRegistration, emptied by RegisterQueuedDlls
// (self_registration.h).
extern support::StringList SelfRegisterList;

}  // namespace script
