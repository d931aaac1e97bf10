// Install containers: packages whose script holds "[InstallContainer]" carry
// installers instead of files, and run each of them in turn, with a small
// dialog counting "Running Install %d of %d". The wizard is then skipped.
#pragma once

#include <cstdint>

namespace archive {
class PackageArchive;
}

namespace ui {

// Whether an entry name is an embedded installer: its extension is ".EXE"
// in any letter case (a dot before the last backslash is no extension).
bool IsInstallerEntryName(const char* name);

// How many entries of the package are embedded installers.
int32_t CountInstallerEntries(const archive::PackageArchive& package);

// Runs the container when the job's script holds "[InstallContainer]";
// true when it did (the wizard must then not follow), with the run's exit
// code in *exit_code: the first failing code among the embedded installers
// (1603 for one that would not start), else 3010 when one of them asked for
// a restart, and 1602 when the dialog was cancelled before the end.
bool RunContainerIfPresent(int* exit_code);

// Whether the container's dialog ended while its thread was still running
// an embedded installer; the install job must then stay until the end of the
// process, because the thread may still be using it.
bool ContainerStillRunning();

}  // namespace ui
