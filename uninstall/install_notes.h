// The install's notes: what an installation did that its uninstall must
// know, and what an uninstall has done already, at the end of the record.
//
// The record is the setup script, copied; the notes follow it, after a few
// empty lines (so that a section the script left unfinished cannot take
// them for its values) and the head "[Install Notes]". One note a CR LF line:
//
//   <DeskTop>C:\Users\Ann\Desktop       a per-user folder as the installing
//                                       user had it (<Startup>, <Start
//                                       Programs> likewise)
//   Kept C:\App\x.dll                   a target that was there before the
//                                       install and stays at the uninstall
//   Counted C:\Windows\System32\y.dll   a shared-file count this project holds
//   Released C:\Windows\System32\y.dll  a count an uninstall let go already
//
// Written with the record, in the same file, the notes always belong to the
// record they are in: an install that fails to replace the record leaves
// both as they were. An install adds Kept notes as it meets each target and
// Counted notes for the counts it raised; an uninstall adds Released notes
// before it lowers the counts. Each is on the disk before the step it
// protects: a file is written over only once it is noted as kept, and a count
// is lowered only once that is noted, so an uninstall that is killed and run
// again never lowers it twice. A kill between a count's change and its note
// leaves a count raised that nobody releases: a file kept, never one lost.
//
// Only the last head counts (a script may hold that line too). A record
// without one was written before there were notes and is undone as records
// always were.
#pragma once

#include "script/folder_placeholders.h"
#include "support/disk_file.h"
#include "support/string_list.h"
#include "support/win32_values.h"

namespace uninstall {

constexpr char kInstallNotesHead[] = "[Install Notes]";
constexpr char kKeptNote[] = "Kept ";
constexpr char kCountedNote[] = "Counted ";
constexpr char kReleasedNote[] = "Released ";

// The folders of the user who installs, which another user's uninstall must
// not take for their own.
constexpr int kUserFolderCount = 3;
extern const char* const kUserFolderTokens[kUserFolderCount];

struct InstallNotes {
    // kUserFolderTokens' folders; empty when not noted.
    char user_folders[kUserFolderCount][support::kMaxPath] = {};
    support::StringList kept;
    support::StringList counted;
    support::StringList released;
};

// Reads the notes of the record at record_path. False when it has none.
bool ReadInstallNotes(const char* record_path, InstallNotes* notes);

// Writes the empty lines, the head and every note of notes to record, at
// its current end, as the record writer does after the script.
bool WriteInstallNotes(support::DiskFile& record, const InstallNotes& notes);

// Appends a note of kind (kKeptNote, ...) for each of paths to the record at
// record_path and flushes it to the disk. False unless all were written.
bool AppendNotes(const char* record_path, const char* kind, const support::StringList& paths);
bool AppendNote(const char* record_path, const char* kind, const char* path);

// Notes the per-user folders of values (absolute ones only).
void NoteUserFolders(const script::PlaceholderValues& values, InstallNotes* notes);

// Makes the per-user folders of values those of notes; a folder not noted is
// not known, so its token stays and every path that holds it is left alone.
void UseNotedUserFolders(const InstallNotes& notes, script::PlaceholderValues* values);

// Whether the project still holds the count of path: counted, not released.
bool HoldsCount(const InstallNotes& notes, const char* path);

}  // namespace uninstall
