// The program's entry point: choose the mode from the command line.
//
// "<uninstall>" comes first, then "<packthis>"; anything else is install
// mode. Each mode's result is the process's exit code (support/exit_codes.h).
#include <windows.h>

#include "ui/app_instance.h"
#include "app/install_mode.h"
#include "app/mode.h"
#include "app/pack_command_line.h"
#include "app/run_report.h"
#include "archive/pack_mode.h"
#include "session/run_markers.h"
#include "support/exit_codes.h"
#include "support/path_text.h"
#include "support/run_log.h"
#include "support/system_libraries.h"
#include "app/uninstall_mode.h"

namespace {

int RunPackMode(const char* command_line) {
    session::RunMarkers markers = session::ParseRunMarkers(command_line);
    app::RunReport report(markers, command_line, "pack");
    static app::PackCommand command;
    if (markers.malformed || !app::ParsePackCommandLine(command_line, &command)) {
        return report.Finish(support::kExitBadCommandLine);
    }
    char package_title[support::kMaxPath];
    support::FileTitle(command.archive_path, package_title);
    report.NameAfter(package_title);
    if (!archive::PackFile(command.file_path, command.archive_path, command.entry_name)) {
        support::LogLine("not added: %s", command.file_path);
        return report.Finish(support::kExitFailed);
    }
    support::LogLine("added %s to %s as %s", command.file_path, command.archive_path,
                     command.entry_name);
    return report.Finish(support::kExitSuccess);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/,
                   int /*show*/) {
    // Before anything can load a DLL: nothing from the installer's own folder.
    support::RestrictDllSearch();
    ui::AppInstance = instance;
    const char* full_command_line = GetCommandLineA();
    switch (app::ChooseMode(full_command_line)) {
        case app::Mode::kUninstall:
            return app::RunUninstallMode(instance);
        case app::Mode::kPack:
            return RunPackMode(full_command_line);
        case app::Mode::kInstall:
            return app::RunInstallMode();
    }
    return support::kExitSuccess;
}
