// The program's entry point: choose the mode from the command line.
//
// "<uninstall>" comes first, then "<packthis>"; anything else is install
// mode. Every mode returns 0.
#include <windows.h>

#include "app/app_instance.h"
#include "app/app_state.h"
#include "app/install_mode.h"
#include "app/mode.h"
#include "app/pack_command_line.h"
#include "archive/pack_mode.h"
#include "support/system_libraries.h"
#include "uninstall/uninstall_mode.h"

namespace {

void RunPackMode(const char* command_line) {
    static app::PackCommand command;
    if (app::ParsePackCommandLine(command_line, &command)) {
        archive::PackFile(command.file_path, command.archive_path, command.entry_name);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
    // Before anything can load a DLL: nothing from the installer's own folder.
    support::RestrictDllSearch();
    app::AppInstance = instance;
    app::ProjectName[0] = '\0';
    const char* full_command_line = GetCommandLineA();
    switch (app::ChooseMode(full_command_line)) {
        case app::Mode::kUninstall:
            return uninstall::RunUninstallMode(instance);
        case app::Mode::kPack:
            RunPackMode(full_command_line);
            return 0;
        case app::Mode::kInstall:
            app::RunInstallMode();
            return 0;
    }
    return 0;
}
