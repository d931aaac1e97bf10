// Uninstall mode: what the "UninstallString" of an uninstall record starts.
// Only Windows code includes this header.
#pragma once

#include <windows.h>

namespace app {

// Reads the record path from the command line, derives the project name and
// its install folder, and runs the uninstall dialog. A command line whose
// record path does not fit a path buffer starts nothing. Returns 0, the
// process's exit code.
int RunUninstallMode(HINSTANCE instance);

}  // namespace app
