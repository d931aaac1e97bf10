// Install mode: COM, the install job and what follows it.
#include <objbase.h>
#include <windows.h>

#include "app/app_instance.h"
#include "app/install_job.h"
#include "app/install_mode.h"
#include "ui/common_controls.h"
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
        if (ui::RunMainPage()) {
            ui::RunProgressStage();
        }
    }
    CoUninitialize();
    CurrentJob = nullptr;
    delete job;
}

}  // namespace app
