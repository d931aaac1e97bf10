// Install mode: COM, the install job and what follows it.
#include <objbase.h>
#include <windows.h>

#include <memory>

#include "support/win32_values.h"
#include "app/install_mode.h"
#include "app/run_report.h"
#include "app/start_elevated.h"
#include "script/install_scope.h"
#include "script/setup_script.h"
#include "session/install_session.h"
#include "support/elevation.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"
#include "ui/app_instance.h"
#include "ui/common_controls.h"
#include "ui/install_container.h"
#include "ui/install_scope_question.h"
#include "ui/main_page.h"
#include "ui/progress_stage.h"

namespace app {

namespace {

// Installing for all users needs administrator rights; without them the
// installer starts itself again with them. extra_markers carry what the
// main page chose.
int RunElevatedForAllUsers(RunReport& report, const char* project, const char* extra_markers) {
    char work[support::kMaxPath + 40];
    support::FormatText(work, sizeof work, "Installing %s for all users", project);
    return RunElevated(report, extra_markers, work, "Installer");
}

// The main page chose all users, which this run lacks the rights for: the
// elevated run installs, with the folder the page showed. (A folder the
// command line gave travels on it already.)
int StartElevatedFromMainPage(const session::InstallSession& run_session, RunReport& report,
                              ProjectRunLock& lock) {
    char extra[support::kMaxPath + 32];
    support::CopyText(extra, "<AllUsers>");
    if (!run_session.Markers().install_to) {
        support::AppendText(extra, "<InstallTo>\"");
        support::AppendText(extra, run_session.destination_folder);
        support::AppendText(extra, "\"");
    }
    // The project's lock is the elevated run's now.
    lock.Release();
    return RunElevatedForAllUsers(report, run_session.project_name, extra);
}

int RunWizardOrContainer(const session::InstallSession& run_session, RunReport& report,
                         ProjectRunLock& lock) {
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
        case ui::MainPageOutcome::kStartElevated:
            return StartElevatedFromMainPage(run_session, report, lock);
        case ui::MainPageOutcome::kCancelled:
            break;
    }
    return support::kExitCancelled;
}

// Who the install is for, from the package's scopes and the command line;
// false, with the exit code, when the package cannot be installed so. A
// package that allows both installs for all users unless told otherwise,
// or, with somebody to ask, as the main page's question is answered.
bool ChooseInstallScope(session::InstallSession& run_session, const char* script_path,
                        const char* project, int* refusal) {
    script::InstallScopes scopes = script::ReadInstallScopes(script_path);
    const session::RunMarkers& markers = run_session.Markers();
    if ((markers.current_user && scopes == script::InstallScopes::kAllUsers) ||
        (markers.all_users && scopes == script::InstallScopes::kCurrentUser)) {
        char text[support::kMaxPath + 256];
        support::FormatText(
            text, sizeof text, "'%s' can only be installed %s.", project,
            scopes == script::InstallScopes::kAllUsers ? "for all users" : "for the current user");
        support::ShowMessage(text, "Installer", support::kMbIconError);
        *refusal = support::kExitBadCommandLine;
        return false;
    }
    run_session.per_user = scopes == script::InstallScopes::kCurrentUser ||
                           (scopes == script::InstallScopes::kEither && markers.current_user);
    run_session.scope_asked_on_page = scopes == script::InstallScopes::kEither &&
                                      !markers.current_user && !markers.all_users &&
                                      !markers.silent;
    if (run_session.per_user && ui::RefuseMachineOnlyItem(script_path, project)) {
        *refusal = support::kExitFailed;
        return false;
    }
    support::LogLine("installing for %s", run_session.scope_asked_on_page
                                              ? "whom the main page chooses"
                                          : run_session.per_user ? "the current user"
                                                                 : "all users");
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
    support::LogLine("project: %s", project);
    int refusal = support::kExitFailed;
    bool scope_chosen = ChooseInstallScope(run_session, script_path, project, &refusal);
    // Before the log is named: the elevated run writes the one log.
    if (scope_chosen && !run_session.per_user && !run_session.scope_asked_on_page &&
        support::MustStartElevated(run_session.Markers().elevated)) {
        return RunElevatedForAllUsers(report, project, "");
    }
    report.NameAfter(project);
    if (!scope_chosen) {
        return refusal;
    }
    ProjectRunLock lock;
    if (project[0] != '\0' && !lock.Take(project)) {
        return ReportRunInProgress(project, "Installer");
    }
    return RunWizardOrContainer(run_session, report, lock);
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
