// Process-wide values shared between the pages, the workers and the modes.
//
// The texts are final before the install worker starts. The flags are
// atomic, with one writer each (InstallFailed: any), polled by their readers
// without a lock.
#pragma once

#include <atomic>

namespace session {

// The project's name: emptied at start, set by the main page from
// [Project Name] or, when uninstalling, from the record's file name.
extern char ProjectName[260];
// The install folder "<Destination>" expands to: set by the main page, or
// in uninstall mode from the registry value "InstallTo".
extern char DestinationFolder[260];

// Set by the progress page when the user confirms cancelling, and by the
// progress stage after the page has closed; the install worker tests it
// before every script line.
extern std::atomic<bool> StopRequested;
// Set by the install or uninstall worker as its very last step.
extern std::atomic<bool> WorkerDone;
// Set by file installation when a replacement was scheduled for the restart.
extern std::atomic<bool> RebootNeeded;
// Set by whatever gives up part of the install (a damaged entry, a file the
// user gave up on, a replacement that could not be scheduled, an uninstall
// record that could not be written): the run ends as a failure however
// complete it looks otherwise. Any thread may set it; the install mode reads
// it at the end.
extern std::atomic<bool> InstallFailed;

// Whether the process command line holds the "<Silent>" marker.
bool IsSilentInstall();

}  // namespace session
