// Uninstall mode: the command line, the project's folder from the registry,
// COM around the dialog.
#include "app/uninstall_mode.h"

#include <objbase.h>

#include "session/install_session.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/common_controls.h"
#include "actions/system_folders.h"
#include "uninstall/uninstall_command_line.h"
#include "ui/uninstall_dialog.h"
#include "ui/uninstall_window.h"
#include "uninstall/uninstall_loop.h"

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
                                HKEY_LOCAL_MACHINE, key);
    support::AddTrailingBackslash(run_session.destination_folder,
                                  sizeof run_session.destination_folder);
}

// A record path that cannot be ours, told as the command line's other
// refusals are (nothing under "<Silent>").
void Refuse(const uninstall::UninstallCommand& command, const char* text) {
    if (!command.silent) {
        support::ShowMessage(text, "Uninstall", support::kMbIconError);
    }
}

}  // namespace

int RunUninstallMode(HINSTANCE instance) {
    static uninstall::UninstallCommand command;
    uninstall::UninstallCommandResult parsed =
        uninstall::ParseUninstallCommandLine(GetCommandLineA(), &command);
    if (parsed != uninstall::UninstallCommandResult::kParsed) {
        if (parsed == uninstall::UninstallCommandResult::kPathTooLong) {
            Refuse(command, "The uninstall record's path is too long. Nothing was removed.");
        }
        return support::kExitBadCommandLine;
    }
    // Records are written to the system folder only. The uninstaller runs
    // elevated, so a record from anywhere else (one that anybody could have
    // written) would have it delete whatever that record lists.
    if (!actions::RecordLiesInSystemFolder(command.record_path)) {
        Refuse(command, "The uninstall record is not in the system folder. Nothing was removed.");
        return support::kExitBadCommandLine;
    }
    session::InstallSession run_session(GetCommandLineA());
    support::CopyText(run_session.project_name, command.project_name);
    support::CopyText(run_session.uninstall_record_path, command.record_path);
    support::CopyText(run_session.uninstall_bitmap_path, command.bitmap_path);
    session::LendSession(&run_session);
    CoInitialize(nullptr);
    ReadInstallFolder(run_session);
    ui::InitPageControls();
    ui::RunUninstallDialog(instance);
    CoUninitialize();
    session::LendSession(nullptr);
    return ui::UninstallExitCode;
}

}  // namespace app
