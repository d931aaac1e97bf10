// Install mode: COM, the install job and what follows it.
#include <objbase.h>
#include <windows.h>

#include "ui/app_instance.h"
#include "session/install_job.h"
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
    bool corrupted = false;
    auto* job = new session::InstallJob(&corrupted);
    session::CurrentJob = job;
    int exit_code = corrupted ? support::kExitFailed : RunWizardOrContainer();
    CoUninitialize();
    if (ui::ContainerStillRunning()) {
        // A cancelled container's thread may still be inside an embedded
        // installer's launch, using the job's archive: the job stays until
        // the process ends, which ends that thread too.
        return exit_code;
    }
    session::CurrentJob = nullptr;
    delete job;
    return exit_code;
}

}  // namespace app
