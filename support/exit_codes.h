// The process exit codes of every mode.
//
// Deployment tools, package managers and scripts decide from the exit code
// alone, so the codes are the ones they already know from the Windows
// installer service's convention.
#pragma once

namespace support {

constexpr int kExitSuccess = 0;
// Installed, but a file in use is replaced only at the next restart, and
// the restart was not done.
constexpr int kExitRestartRequired = 3010;
// The user cancelled (or answered No to uninstalling).
constexpr int kExitCancelled = 1602;
// Something was given up: a damaged package, a file that could not be
// written, an uninstall record that could not be written, a file added by
// pack mode that was not added or a package whose directory and trailer it
// could not write.
constexpr int kExitFailed = 1603;
// Another installer or uninstaller of the same project is running.
constexpr int kExitAnotherRunInProgress = 1618;
// Pack or uninstall mode refused its command line.
constexpr int kExitBadCommandLine = 1639;

}  // namespace support
