// Uninstall mode: the command line, the project's folder from the registry,
// COM around the dialog.
#include "app/uninstall_mode.h"

#include "app/run_report.h"
#include "app/start_elevated.h"

#include <objbase.h>

#include "session/install_session.h"
#include "support/elevation.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/common_controls.h"
#include "actions/own_keys_win.h"
#include "actions/system_folders.h"
#include "uninstall/uninstall_command_line.h"
#include "ui/uninstall_dialog.h"
#include "ui/uninstall_window.h"
#include "uninstall/system_folder_paths.h"
#include "uninstall/uninstall_loop.h"
#include "uninstall/uninstall_record.h"

namespace app {

namespace {

// "<Destination>" in the record stands for the folder the installation used,
// kept in the project's entry of the list of programs.
void ReadInstallFolder(session::InstallSession& run_session) {
    char key[support::kMaxPath + 64];
    support::FormatText(key, sizeof key,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s",
                        run_session.project_name);
    support::ReadRegistryString(run_session.destination_folder,
                                sizeof run_session.destination_folder, "InstallTo",
                                actions::OwnKeysRoot(run_session), key);
    support::AddTrailingBackslash(run_session.destination_folder,
                                  sizeof run_session.destination_folder);
}

// A record path that cannot be ours (under "<Silent>" told to the log only).
int Refuse(const char* text) {
    support::ShowMessage(text, "Uninstall", support::kMbIconError);
    return support::kExitBadCommandLine;
}

// Records are written to the system folder only, or for an install for the
// current user to that user's own record folder. The uninstaller of an
// install for all users runs elevated, so a record from anywhere else (one
// that anybody could have written) would have it delete whatever that
// record lists. Refused before any elevation is asked for: 1639, else 0.
int RefuseForeignRecord(const uninstall::UninstallCommand& command, bool per_user) {
    if (per_user) {
        char folder[support::kMaxPath];
        uninstall::RecordFolder(true, folder);
        if (folder[0] == '\0' || !uninstall::LiesDirectlyIn(command.record_path, folder)) {
            return Refuse(
                "The uninstall record is not in your own record folder. Nothing was removed.");
        }
    } else if (!actions::RecordLiesInSystemFolder(command.record_path)) {
        return Refuse("The uninstall record is not in the system folder. Nothing was removed.");
    }
    return support::kExitSuccess;
}

int RunParsedUninstall(HINSTANCE instance, const uninstall::UninstallCommand& command,
                       session::InstallSession& run_session) {
    ProjectRunLock lock;
    if (!lock.Take(command.project_name)) {
        return ReportRunInProgress(command.project_name, "Uninstall");
    }
    support::CopyText(run_session.project_name, command.project_name);
    support::CopyText(run_session.uninstall_record_path, command.record_path);
    support::CopyText(run_session.uninstall_bitmap_path, command.bitmap_path);
    session::LendSession(&run_session);
    CoInitialize(nullptr);
    ReadInstallFolder(run_session);
    support::LogLine("record: %s", run_session.uninstall_record_path);
    support::LogLine("install folder: %s", run_session.destination_folder);
    ui::InitPageControls();
    ui::RunUninstallDialog(instance);
    CoUninitialize();
    session::LendSession(nullptr);
    return ui::UninstallExitCode;
}

}  // namespace

int RunUninstallMode(HINSTANCE instance) {
    session::InstallSession run_session(GetCommandLineA());
    run_session.per_user = run_session.Markers().current_user;
    RunReport report(run_session.Markers(), GetCommandLineA(), "uninstall");
    static uninstall::UninstallCommand command;
    uninstall::UninstallCommandResult parsed =
        uninstall::ParseUninstallCommandLine(GetCommandLineA(), &command);
    if (parsed != uninstall::UninstallCommandResult::kParsed || run_session.Markers().malformed) {
        if (parsed == uninstall::UninstallCommandResult::kPathTooLong) {
            Refuse("The uninstall record's path is too long. Nothing was removed.");
        }
        return report.Finish(support::kExitBadCommandLine);
    }
    support::LogLine("project: %s", command.project_name);
    int refusal = RefuseForeignRecord(command, run_session.per_user);
    // The uninstall of an install for all users writes where only
    // administrators may; the elevated run writes the one log.
    if (refusal == support::kExitSuccess && !run_session.per_user &&
        support::MustStartElevated(run_session.Markers().elevated)) {
        char work[support::kMaxPath + 16];
        support::FormatText(work, sizeof work, "Removing %s", command.project_name);
        return report.Finish(RunElevated(report, "", work, "Uninstall"));
    }
    report.NameAfter(command.project_name);
    return report.Finish(refusal != support::kExitSuccess
                             ? refusal
                             : RunParsedUninstall(instance, command, run_session));
}

}  // namespace app
