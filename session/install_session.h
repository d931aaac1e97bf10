// InstallSession: what one run of the program shares between its mode, its
// pages and its workers.
//
// The texts are final before a worker starts. The flags are atomic, with one
// writer each (install_failed: any), polled by their readers without a lock.
// The silent flag is read from the command line once, when the session is
// made, and never changes.
#pragma once

#include <atomic>
#include <memory>

#include "session/install_job.h"
#include "session/run_markers.h"
#include "support/win32_values.h"

namespace session {

// Whether a command line holds the "<Silent>" marker, anywhere, in exactly
// that letter case.
bool HasSilentMarker(const char* command_line);

class InstallSession {
  public:
    // command_line is the process's whole command line.
    explicit InstallSession(const char* command_line);
    InstallSession(const InstallSession&) = delete;
    InstallSession& operator=(const InstallSession&) = delete;

    // "<Silent>": no questions, no licence page, every optional item.
    bool Silent() const { return markers_.silent; }
    // Every marker of the command line (run_markers.h).
    const RunMarkers& Markers() const { return markers_; }

    // The project's name: set by the main page from [Project Name] or, when
    // uninstalling, from the record's file name.
    char project_name[support::kMaxPath] = "";
    // The install folder "<Destination>" expands to: set by the main page,
    // or in uninstall mode from the registry value "InstallTo".
    char destination_folder[support::kMaxPath] = "";
    // The job of install mode; null in the other modes.
    std::unique_ptr<InstallJob> job;
    // An install for the current user alone, or the uninstall of one: set
    // before any page from the package's scopes and the command line (in
    // uninstall mode from "<CurrentUser>"); afterwards only the main page's
    // question (below) changes it. Its program folder, its entry in the list
    // of installed programs, its App Paths and its record are the user's own
    // (script/install_scope.h).
    bool per_user = false;
    // The package allows both, the command line named neither and somebody
    // watches: the main page asks, and may change per_user until it closes.
    bool scope_asked_on_page = false;

    // Set by the progress page when the user confirms cancelling, and by
    // the progress stage after the page has closed; the install worker
    // tests it before every script line.
    std::atomic<bool> stop_requested{false};
    // Set by the install or uninstall worker as its very last step.
    std::atomic<bool> worker_done{false};
    // Set by file installation when a replacement was scheduled for the
    // restart.
    std::atomic<bool> reboot_needed{false};
    // Set by whatever gives up part of the install (a damaged entry, a file
    // the user gave up on, a replacement that could not be scheduled, an
    // uninstall record that could not be written): the run ends as a
    // failure however complete it looks otherwise. Any thread may set it.
    std::atomic<bool> install_failed{false};

    // Uninstall mode: the record being undone and the banner beside it.
    char uninstall_record_path[support::kMaxPath] = "";
    char uninstall_bitmap_path[support::kMaxPath] = "";
    // Set by the uninstall worker when some file could only be scheduled for
    // deletion at the next restart; read by the dialog after worker_done.
    std::atomic<bool> uninstall_restart_needed{false};
    // Set when a file that could not be deleted could not be scheduled for
    // deletion at the restart either: the uninstall ends as a failure.
    std::atomic<bool> uninstall_incomplete{false};

  private:
    RunMarkers markers_;
};

// The session of the running mode. The mode makes its session and lends it
// here for as long as it runs; until then (and in tests that lend none) an
// empty session made without a command line stands in.
InstallSession& Current();
// Lends session (null: the stand-in again), which must outlive its lending;
// returns the session lent before, so that a lending can be undone.
InstallSession* LendSession(InstallSession* session);

}  // namespace session
