// Install mode: COM, the install job and what follows it.
#include <objbase.h>
#include <windows.h>

#include "ui/app_instance.h"
#include <memory>

#include "session/install_session.h"
#include "app/install_mode.h"
#include "support/exit_codes.h"
#include "ui/common_controls.h"
#include "ui/install_container.h"
#include "ui/main_page.h"
#include "ui/progress_stage.h"

namespace app {

namespace {

int RunWizardOrContainer() {
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
        case ui::MainPageOutcome::kCancelled:
            break;
    }
    return support::kExitCancelled;
}

}  // namespace

int RunInstallMode() {
    CoInitialize(nullptr);
    auto run_session = std::make_unique<session::InstallSession>(GetCommandLineA());
    session::LendSession(run_session.get());
    run_session->job = session::OpenOwnPackageJob();
    int exit_code = run_session->job->Corrupted() ? support::kExitFailed : RunWizardOrContainer();
    CoUninitialize();
    if (ui::ContainerStillRunning()) {
        // A cancelled container's thread may still be inside an embedded
        // installer's launch, using the session's job and its archive: both
        // stay until the process ends, which ends that thread too.
        run_session.release();
        return exit_code;
    }
    session::LendSession(nullptr);
    return exit_code;
}

}  // namespace app
