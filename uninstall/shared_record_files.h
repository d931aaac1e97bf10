// Which files of a record another installed project lists too, and so must
// stay: every "VornakUninstall-*.dat" beside our record but ours is read once,
// when the first file is tested, and its [CopyFile] targets are kept.
//
// Each other record's "<Destination>" stands for the folder that project
// was installed to, which its record holds after "[Install To]". Expanded
// with our folder instead, a "<Destination>\readme.txt" of any other project
// would keep ours for ever, while the file it really names would not be
// protected. A record that does not say where it went is read with our
// values, so that when in doubt a file stays.
#pragma once

#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/string_list.h"
#include "uninstall/install_notes.h"
#include "uninstall/uninstall_loop.h"

namespace uninstall {

// Expands a path value line with values into path (kMaxPath bytes). False for a path no
// installation can have made: one too long for the buffer, one that still holds a placeholder's "<"
// after expansion (an expansion that did not fit, or a token whose value is not known, keeps its
// token), or one that is not absolute ("\bin\x.dll" from an empty install folder would be found on
// whatever drive is current). Such a path is not acted on at all, so that no other file is deleted
// in its place.
bool ExpandValuePath(const char* line, script::PlaceholderValues* values, char* path);

// The folder after the record's last "[Install To]", as the record writer
// put it there (read whole, with script::kRecordedFolderLimit). False when there is none, or it
// does not fit a path.
bool RecordedInstallFolder(const char* record_path, char* folder);

// Appends the [CopyFile] targets of the record at path to targets, expanded
// with our_values but with "<Destination>" standing for the folder that
// record names (our_values' folder when it names none), and, with notes
// (that record's), the per-user folders standing for those it noted.
void ReadRecordTargets(const char* path, const script::PlaceholderValues& our_values,
                       const InstallNotes* notes, support::StringList* targets);

// The row of token in script::kPlaceholderTokens.
int PlaceholderRow(const char* token);

class SharedFiles {
  public:
    // values: this run's placeholder values; not copied, must outlive this.
    SharedFiles(const char* record_path, UninstallActions& effects,
                const script::PlaceholderValues* values);
    SharedFiles(const SharedFiles&) = delete;
    SharedFiles& operator=(const SharedFiles&) = delete;

    // Whether another record lists target (expanded), compared as paths.
    bool IsShared(const char* target);

  private:
    void ReadOtherRecords();
    void ReadOtherRecord(const char* path);

    const char* record_path_;
    UninstallActions& effects_;
    const script::PlaceholderValues* values_;
    bool read_ = false;
    support::StringList targets_;
};

}  // namespace uninstall
