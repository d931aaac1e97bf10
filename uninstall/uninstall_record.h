// The uninstall record: what an installation leaves behind so that the stub,
// copied into the system folder, can later remove it.
//
//   <System>VornakUninstall.exe          the stub, shared by every project
//   <System>VornakUninstall-NAME.dat     the script, with the folder chosen,
//                                        and the install's notes
//   <System>VornakUninstall-NAME.bmp     the banner
//   HKLM\...\Uninstall\NAME              the entry in the list of programs
//
// An install for the current user alone keeps the same files in the user's
// own %LOCALAPPDATA%\VornakUninstall\ and its entry under HKCU.
#pragma once

#include "uninstall/install_notes.h"

namespace uninstall {

// Whether a project name can name the record's files and its Uninstall key:
// not with a backslash, "/" or ":" or a "..", which would put the record outside
// the system folder and make nested keys below the Uninstall key.
bool ProjectNameFitsRecord(const char* name);

// The folder of the records and the uninstaller copy, with a trailing
// backslash (260 bytes): the system folder, or for an install for the
// current user (per_user) its VornakUninstall folder; empty when it cannot
// be had.
void RecordFolder(bool per_user, char* folder);

// "<System>VornakUninstall-NAME.dat" for the session's project_name, in the
// session's RecordFolder (260 bytes; empty when it does not fit).
void RecordPath(char* path);
// The same with ".bmp".
void RecordBitmapPath(char* path);

// Copies the folder written after the last "[Install To]" of the project's
// existing record into the session's destination_folder; nothing happens without a record.
// A line too long for the folder buffer is cut to fit.
void ReadPreviousInstallFolder();

// Copies the script line by line into the record file, writing folder in
// place of the line after every "[Install To]", then notes after it, and
// flushes the record to the disk. Returns false when either file cannot be
// opened or the record was not written whole.
bool CopyScriptIntoRecord(const char* script_path, const char* record_path, const char* folder,
                          const InstallNotes& notes);

}  // namespace uninstall
