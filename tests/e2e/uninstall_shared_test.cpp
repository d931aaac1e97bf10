// Two projects that install the same file: it survives the uninstall of
// the first and goes with the second. The records name it in different
// letter case, as Windows' file names do not care. Each also installs
// "<Destination>\own.txt" into its own folder: the same line in both
// records, but not the same file, so it is not kept.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"

using e2e::FileExists;
using e2e::FolderExists;
using e2e::RunningProgram;

namespace {

const char kSharedFolder[] = "C:\\VornakE2E\\E2E Uninstall Shared Files";

void BuildWithSharedFile(e2e::InstalledProject& project, const std::string& shared) {
    project.Build(e2e::Script({"[CopyFile]", "own.txt", "<Destination>\\own.txt", "", "[CopyFile]",
                               "common.txt", shared.c_str()}),
                  {{"own.txt", project.Name()}, {"common.txt", "common"}});
}

void UninstallQuietly(const e2e::InstalledProject& project) {
    RunningProgram uninstaller(project.UninstallCommand("QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
}

}  // namespace

TEST(UninstallShared, AFileOfTwoProjectsGoesWithTheLastOfThem) {
    e2e::InstalledProject first("Shared First");
    e2e::InstalledProject second("Shared Second");
    std::string common = std::string(kSharedFolder) + "\\Common.txt";
    BuildWithSharedFile(first, common);
    BuildWithSharedFile(second, e2e::Lower(common));
    first.InstallSilently();
    second.InstallSilently();
    ASSERT_TRUE(FileExists(common));

    UninstallQuietly(first);
    EXPECT_FALSE(FileExists(first.Folder() + "\\own.txt"));
    EXPECT_FALSE(FileExists(first.RecordPath()));
    EXPECT_TRUE(FileExists(common));
    EXPECT_TRUE(FileExists(second.Folder() + "\\own.txt"));

    UninstallQuietly(second);
    EXPECT_FALSE(FileExists(common));
    EXPECT_FALSE(FolderExists(second.Folder()));
    // Neither install folder nor shortcut group: nothing says the
    // installation made it, so it stays, empty or not.
    EXPECT_TRUE(FolderExists(kSharedFolder));
    e2e::RemoveTree(kSharedFolder);
}
