// Files an installation found already in place and must leave there when it
// is uninstalled: a newer shared library it did not replace, one it replaced
// with its own copy, a file some other program put there. They are listed
// one path a CR LF line in "<System>VornakUninstall-NAME.kept", beside the
// record; a record without that file was written by an installer that kept
// no such list (and counted no shared files), and is undone as it always was.
//
// The list is made before the first file of the install lands, so that a
// killed install has protected every file it may have touched.
#pragma once

#include "support/string_list.h"

namespace uninstall {

// The list's path for the record at record_path (".dat" becomes ".kept"),
// in path (kMaxPath bytes). False when record_path does not end in ".dat".
bool KeptFilesPath(const char* record_path, char* path);

// Appends the list's lines to paths. False when there is no list.
bool ReadKeptFiles(const char* path, support::StringList* paths);

// Writes paths as the list at path, replacing any file there.
bool WriteKeptFiles(const char* path, const support::StringList& paths);

// Whether paths holds path, compared without regard to letter case.
bool ListHoldsPath(const support::StringList& paths, const char* path);

// What an install about to start must know of the files it will write.
struct InstallOwnership {
    // Every expanded [CopyFile] target of the script, once per section.
    support::StringList targets;
    // The targets that exist now and that no installed project of ours put
    // there: the new list of kept files.
    support::StringList kept;
    // Targets this project's earlier install already counted as shared.
    support::StringList counted_before;
};

// Reads the script at script_path and every record beside record_path (the
// project's own earlier one included, which must not be replaced yet). A
// record's targets are that project's own, except those its list keeps.
void ReadInstallOwnership(const char* script_path, const char* record_path,
                          InstallOwnership* ownership);

}  // namespace uninstall
