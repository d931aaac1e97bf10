// Uninstall mode: the command line, the project's folder from the registry,
// COM around the dialog.
#include "uninstall/uninstall_mode.h"

#include <objbase.h>

#include "app/app_state.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/common_controls.h"
#include "uninstall/uninstall_command_line.h"
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

}  // namespace

int RunUninstallMode(HINSTANCE instance) {
    static UninstallCommand command;
    UninstallCommandResult parsed = ParseUninstallCommandLine(GetCommandLineA(), &command);
    if (parsed != UninstallCommandResult::kParsed) {
        if (parsed == UninstallCommandResult::kPathTooLong && !command.silent) {
            support::ShowMessage("The uninstall record's path is too long. Nothing was removed.",
                                 "Uninstall", support::kMbIconError);
        }
        return 0;
    }
    support::CopyText(app::ProjectName, command.project_name);
    support::CopyText(UninstallRecordPath, command.record_path);
    support::CopyText(UninstallBitmapPath, command.bitmap_path);
    CoInitialize(nullptr);
    ReadInstallFolder();
    ui::InitPageControls();
    RunUninstallDialog(instance);
    CoUninitialize();
    return 0;
}

}  // namespace uninstall
