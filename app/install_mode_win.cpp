// Install mode: COM, the install job and what follows it.
#include <objbase.h>
#include <windows.h>

#include "app/app_instance.h"
#include "app/install_job.h"
#include "app/install_mode.h"
#include "ui/common_controls.h"
#include "ui/install_container.h"
#include "ui/main_page.h"
#include "ui/progress_stage.h"

namespace app {

HINSTANCE AppInstance = nullptr;

void RunInstallMode() {
    CoInitialize(nullptr);
    bool corrupted = false;
    auto* job = new InstallJob(&corrupted);
    CurrentJob = job;
    if (!corrupted) {
        ui::InitPageControls();
        if (!ui::RunContainerIfPresent() && ui::RunMainPage()) {
            ui::RunProgressStage();
        }
    }
    CoUninitialize();
    if (ui::ContainerStillRunning()) {
        // A cancelled container's thread may still be inside an embedded
        // installer's launch, using the job's archive: the job stays until
        // the process ends, which ends that thread too.
        return;
    }
    CurrentJob = nullptr;
    delete job;
}

}  // namespace app
