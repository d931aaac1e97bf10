// Writing the uninstall record at the end of the files' installation: the
// uninstaller stub and the script copied into the system folder, the list of
// files found in place, and the project's entry in the list of programs.
// Only Windows code includes this header.
#pragma once

namespace actions {

// Writes the record the first time it is called in a run; later calls do
// nothing, even when the first one failed half-way. With no project name, or
// one that does not fit a record, nothing is written: the files and the
// registry key would have no name, or somebody else's.
void WriteUninstallRecord();

// Whether this run has written the record (files, then the registry entry).
bool UninstallRecordWritten();

// Resets the written-once flag (tests run several installations in one
// process).
void ForgetRecordWritten();

}  // namespace actions
