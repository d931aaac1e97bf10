// Writing the uninstall record before the first file is installed: the
// uninstaller stub and the script copied into the system folder with the
// install's notes (files found in place, counts held, the per-user folders),
// and the project's entry in the list of programs.
// Only Windows code includes this header.
#pragma once

#include <cstdint>

#include "support/win32_values.h"
#include "uninstall/kept_files.h"

namespace actions {

// What a run's record knows of the files the run writes.
struct RunRecord {
    // The record's path once this run's record is in place; empty before,
    // and when none was written.
    char path[support::kMaxPath] = "";
    uninstall::InstallOwnership ownership;
};

// Writes the record the first time it is called in a run; later calls do
// nothing, even when the first one failed half-way. With no project name, or
// one that does not fit a record, nothing is written: the files and the
// registry key would have no name, or somebody else's. run_record gets what
// NoteTargetBeforeWriting needs.
void WriteUninstallRecord(RunRecord* run_record);

// Called before each [CopyFile] target (expanded) is written: a target that
// is there already, and that no project of ours put there, is noted in the
// record as one to keep, as a program the script ran may have put it there
// since the record was written. False, reported, when that note cannot be
// written: the file must not be written over then. True when this run wrote
// no record.
bool NoteTargetBeforeWriting(RunRecord* run_record, const char* target);

// Whether this run has written the record (files, then the registry entry).
bool UninstallRecordWritten();

// Resets the written-once flag (tests run several installations in one
// process).
void ForgetRecordWritten();

// The project's entry in the list of installed programs.
struct UninstallEntry {
    const char* display_name;
    const char* install_folder;
    // The uninstaller and the record as every process finds them.
    const char* stub_path;
    const char* record_path;
    uint32_t size_kb;
    // An install for the current user alone: its uninstaller is told so.
    bool per_user;
};

// Where the entry's values go: the project's Uninstall key, or a test's fake.
class EntryValueWriter {
  public:
    virtual ~EntryValueWriter() = default;
    virtual bool WriteString(const char* name, const char* data) = 0;
    virtual bool WriteNumber(const char* name, uint32_t number) = 0;
};

// Writes the entry's values in turn, stopping at the first that is not
// written, and returns whether all were. "DisplayName" comes last: Windows
// lists a program by it, so an entry cut short by a failure or a kill is
// never listed without the command that removes it.
bool WriteUninstallEntryValues(const UninstallEntry& entry, EntryValueWriter& writer);

}  // namespace actions
