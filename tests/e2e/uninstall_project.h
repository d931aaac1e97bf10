// One project installed for an uninstall test, and the uninstaller started
// the way Windows' list of programs starts it: the registry's command line,
// as it stands, handed to CreateProcess.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"

namespace e2e {

// A 1 x 1 24-bit bitmap, so that the record has a banner to show and delete.
std::string TinyBitmap();

class InstalledProject {
  public:
    // folder: the [Install To] folder; by default one named after the project.
    explicit InstalledProject(const std::string& name, const std::string& folder = "");
    ~InstalledProject();
    InstalledProject(const InstalledProject&) = delete;
    InstalledProject& operator=(const InstalledProject&) = delete;

    const std::string& Name() const { return name_; }
    // The [Install To] folder of the script, without a trailing backslash.
    const std::string& Folder() const { return folder_; }
    std::string UninstallKey() const;
    std::string RecordPath() const;
    std::string BannerPath() const;

    // Packs setup.dat (project name, folder, then body), a banner and files.
    void Build(const std::string& body, const std::vector<PackageFile>& files);
    // Installs with "<Silent>" and waits until the installer has ended.
    void InstallSilently();
    // Starts the installer without markers (the wizard).
    std::string InstallCommand() const { return "\"" + package_ + "\""; }
    // The "UninstallString" or "QuietUninstallString" of the record.
    std::string UninstallCommand(const char* value = "UninstallString") const;
    // Answers "Uninstall NAME?" with Yes and returns the closing box, still
    // on screen (null when something else happened).
    HWND ConfirmUninstall(RunningProgram& uninstaller) const;
    // Removes what the test left: the install folder, the record, the key.
    void CleanUp();

  private:
    testing_support::Scratch scratch_;
    std::string name_;
    std::string folder_;
    std::string package_;
};

// Whether a folder (not a file) exists at path.
bool FolderExists(const std::string& path);
// The start-menu programs folder, with a trailing backslash.
std::string StartProgramsFolder();
// HKLM's PendingFileRenameOperations, lower-cased, items joined by NULs.
std::string PendingRenameText();
std::string Lower(std::string text);

}  // namespace e2e
