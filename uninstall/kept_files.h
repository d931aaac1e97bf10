// Files an installation found already in place and must leave there when it
// is uninstalled: a newer shared library it did not replace, one it replaced
// with its own copy, a file some other program put there. The record's notes
// list them (install_notes.h); a record without notes was written by an
// installer that kept no such list (and counted no shared files), and is
// undone as it always was.
//
// The targets that exist when the record is written are noted with it, so
// that a killed install has protected every file it may have touched; a
// target that appears later (a program the script runs may put it there) is
// noted when its [CopyFile] comes, before the file is written.
#pragma once

#include "support/string_list.h"
#include "uninstall/install_notes.h"

namespace uninstall {

// Whether paths holds path, compared without regard to letter case.
bool ListHoldsPath(const support::StringList& paths, const char* path);

// What an install must know of the files it writes.
struct InstallOwnership {
    // Every expanded [CopyFile] target of the script, once per section.
    support::StringList targets;
    // The targets of every installed project of ours (this project's earlier
    // install included) that their notes do not keep, and each target this
    // run has reached: files no user or other product put there.
    support::StringList own;
    // The notes the new record starts with: the per-user folders, the
    // targets that exist now and are not our own, and the counts this
    // project's earlier install holds.
    InstallNotes notes;
};

// Reads the script at script_path and every record beside record_path (the
// project's own earlier one included, which must not be replaced yet). A
// record's targets are that project's own, except those its notes keep.
void ReadInstallOwnership(const char* script_path, const char* record_path,
                          InstallOwnership* ownership);

// Whether target, about to be written, is there already and was put there
// by none of our projects, so that its uninstall must leave it: neither our
// own nor noted as kept yet.
bool IsFoundInPlace(const InstallOwnership& ownership, const char* target);

}  // namespace uninstall
