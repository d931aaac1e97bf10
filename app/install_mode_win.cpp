// Install mode: COM, the install job and what follows it.
#include <objbase.h>
#include <windows.h>

#include <memory>

#include "support/win32_values.h"
#include "app/install_mode.h"
#include "app/run_report.h"
#include "script/install_scope.h"
#include "script/setup_script.h"
#include "session/install_session.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/app_instance.h"
#include "ui/common_controls.h"
#include "ui/install_container.h"
#include "ui/main_page.h"
#include "ui/progress_stage.h"

namespace app {

namespace {

int RunWizardOrContainer(const session::InstallSession& run_session) {
    ui::InitPageControls();
    int exit_code = support::kExitSuccess;
    if (ui::RunContainerIfPresent(&exit_code)) {
        return exit_code;
    }
    switch (ui::RunMainPage()) {
        case ui::MainPageOutcome::kInstall:
            return ui::RunProgressStage();
        case ui::MainPageOutcome::kRefused:
            return support::kExitFailed;
        case ui::MainPageOutcome::kFolderRefused:
            // A folder the command line gave is the command line's fault.
            return run_session.Markers().install_to ? support::kExitBadCommandLine
                                                    : support::kExitFailed;
        case ui::MainPageOutcome::kCancelled:
            break;
    }
    return support::kExitCancelled;
}

// Who the install is for, from the package's scopes and the command line;
// false, with the exit code, when the package cannot be installed so. A
// package that allows both installs for all users unless told otherwise.
bool ChooseInstallScope(session::InstallSession& run_session, const char* script_path,
                        const char* project, int* refusal) {
    script::InstallScopes scopes = script::ReadInstallScopes(script_path);
    const session::RunMarkers& markers = run_session.Markers();
    char text[support::kMaxPath + 256];
    if ((markers.current_user && scopes == script::InstallScopes::kAllUsers) ||
        (markers.all_users && scopes == script::InstallScopes::kCurrentUser)) {
        support::FormatText(
            text, sizeof text, "'%s' can only be installed %s.", project,
            scopes == script::InstallScopes::kAllUsers ? "for all users" : "for the current user");
        support::ShowMessage(text, "Installer", support::kMbIconError);
        *refusal = support::kExitBadCommandLine;
        return false;
    }
    run_session.per_user = scopes == script::InstallScopes::kCurrentUser ||
                           (scopes == script::InstallScopes::kEither && markers.current_user);
    char item[support::kMaxPath];
    if (run_session.per_user && script::FindMachineOnlyItem(script_path, item, sizeof item)) {
        support::FormatText(text, sizeof text,
                            "'%s' cannot be installed for the current user alone: its script "
                            "has a %s, which only an install for all users may make.",
                            project, item);
        support::ShowMessage(text, "Installer", support::kMbIconError);
        *refusal = support::kExitFailed;
        return false;
    }
    support::LogLine("installing for %s", run_session.per_user ? "the current user" : "all users");
    return true;
}

// The project's name, before any page: the log is named after it, and two
// runs of one project must not work at once.
int RunOpenedPackage(session::InstallSession& run_session, RunReport& report) {
    char script_path[support::kMaxPath];
    run_session.job->FolderPath(script_path);
    support::AppendText(script_path, "setup.dat");
    char project[support::kMaxPath];
    script::ReadProjectName(script_path, project, sizeof project);
    report.NameAfter(project);
    support::LogLine("project: %s", project);
    int refusal = support::kExitFailed;
    if (!ChooseInstallScope(run_session, script_path, project, &refusal)) {
        return refusal;
    }
    ProjectRunLock lock;
    if (project[0] != '\0' && !lock.Take(project)) {
        return ReportRunInProgress(project, "Installer");
    }
    return RunWizardOrContainer(run_session);
}

}  // namespace

int RunInstallMode() {
    CoInitialize(nullptr);
    auto run_session = std::make_unique<session::InstallSession>(GetCommandLineA());
    session::LendSession(run_session.get());
    RunReport report(run_session->Markers(), GetCommandLineA(), "install");
    int exit_code = support::kExitBadCommandLine;
    if (!run_session->Markers().malformed) {
        run_session->job = session::OpenOwnPackageJob();
        exit_code = run_session->job->Corrupted() ? support::kExitFailed
                                                  : RunOpenedPackage(*run_session, report);
    }
    CoUninitialize();
    if (ui::ContainerStillRunning()) {
        // A cancelled container's thread may still be inside an embedded
        // installer's launch, using the session's job and its archive: both
        // stay until the process ends, which ends that thread too.
        run_session.release();
        return report.Finish(exit_code);
    }
    session::LendSession(nullptr);
    return report.Finish(exit_code);
}

}  // namespace app
