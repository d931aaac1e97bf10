// Uninstall mode: the command line, the project's folder from the registry,
// COM around the dialog.
#include "uninstall/uninstall_mode.h"

#include <objbase.h>

#include "app/app_state.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/common_controls.h"
#include "uninstall/system_folders.h"
#include "uninstall/uninstall_command_line.h"
#include "uninstall/uninstall_dialog.h"
#include "uninstall/uninstall_executor.h"

namespace uninstall {

namespace {

// "<Destination>" in the record stands for the folder the installation used,
// kept in the project's entry of the list of programs.
void ReadInstallFolder() {
    char key[support::kMaxPath + 64];
    support::FormatText(key, sizeof key,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s",
                        app::ProjectName);
    support::ReadRegistryString(app::DestinationFolder, sizeof app::DestinationFolder, "InstallTo",
                                HKEY_LOCAL_MACHINE, key);
    support::AddTrailingBackslash(app::DestinationFolder, sizeof app::DestinationFolder);
}

// A record path that cannot be ours, told as the command line's other
// refusals are (nothing under "<Silent>").
void Refuse(const UninstallCommand& command, const char* text) {
    if (!command.silent) {
        support::ShowMessage(text, "Uninstall", support::kMbIconError);
    }
}

}  // namespace

int RunUninstallMode(HINSTANCE instance) {
    static UninstallCommand command;
    UninstallCommandResult parsed = ParseUninstallCommandLine(GetCommandLineA(), &command);
    if (parsed != UninstallCommandResult::kParsed) {
        if (parsed == UninstallCommandResult::kPathTooLong) {
            Refuse(command, "The uninstall record's path is too long. Nothing was removed.");
        }
        return support::kExitBadCommandLine;
    }
    // Records are written to the system folder only. The uninstaller runs
    // elevated, so a record from anywhere else (one that anybody could have
    // written) would have it delete whatever that record lists.
    if (!RecordLiesInSystemFolder(command.record_path)) {
        Refuse(command, "The uninstall record is not in the system folder. Nothing was removed.");
        return support::kExitBadCommandLine;
    }
    support::CopyText(app::ProjectName, command.project_name);
    support::CopyText(UninstallRecordPath, command.record_path);
    support::CopyText(UninstallBitmapPath, command.bitmap_path);
    CoInitialize(nullptr);
    ReadInstallFolder();
    ui::InitPageControls();
    RunUninstallDialog(instance);
    CoUninitialize();
    return UninstallExitCode;
}

}  // namespace uninstall
