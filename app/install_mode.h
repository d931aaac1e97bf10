// Install mode, driven by the entry point.
#pragma once

namespace app {

// Runs the installer; returns the process's exit code (support/exit_codes.h).
int RunInstallMode();

}  // namespace app
