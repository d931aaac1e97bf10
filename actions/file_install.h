// Installing one file of the package: the [CopyFile] action.
//
// The entry is unpacked to a new file beside the target (partial_file.h),
// the version rule decides whether an existing target may be replaced, and
// the new file is flushed to the disk and renamed over the target, or at
// the next restart when the target is in use. No target is ever written in
// place: an interrupted install leaves the old file or the new one under the
// real name, never part of one. Files that ask for OLE
// self-registration are queued and registered once, when the install worker ends.
#pragma once

#include "support/string_list.h"

namespace actions {

// Installs the package entry entry_name at target_path, both with their
// placeholders expanded already. install_folder is the folder the install
// goes to ("<Destination>"; may be empty): at or below it no link is
// followed. *abort is set when the install worker must stop (damaged entry,
// a link refused, or Cancel after a failed copy), cleared otherwise.
void InstallFile(const char* entry_name, const char* target_path, const char* install_folder,
                 bool* abort);

// Schedules temporary_path (in target_path's folder) to replace target_path
// at the next restart and sets the session's reboot_needed. Returns false, leaving
// the flag alone, when the system would not record the operation.
bool ReplaceAtRestart(const char* temporary_path, const char* target_path);

// Full paths of installed files that ask for self-registration, in install
// order; filled by QueueSelfRegistration, emptied by RegisterQueuedDlls
// (self_registration.h).
extern support::StringList SelfRegisterList;
// The digest (self_registration.h) of each queued file's bytes when it was
// queued, in the same order; an empty text when it is not known.
extern support::StringList SelfRegisterDigests;

}  // namespace actions
