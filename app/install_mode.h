// Install mode, driven by the entry point.
#pragma once

namespace app {

void RunInstallMode();

}  // namespace app
