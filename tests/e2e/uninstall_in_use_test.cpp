// A file held open while it is uninstalled: its deletion is left to the next
// start of Windows, the restart is offered, declining it ends normally, and
// the restart then takes the file away.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"

using e2e::FileExists;
using e2e::RunningProgram;

namespace {

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

TEST(UninstallInUse, FileInUseGoesWhenWindowsRestarts) {
    e2e::InstalledProject project("In Use");
    project.Build(e2e::Script({"[CopyFile]", "data.txt", "<Destination>\\data.txt", "",
                               "[CopyFile]", "readme.txt", "<Destination>\\readme.txt"}),
                  {{"data.txt", "data"}, {"readme.txt", "read me"}});
    project.InstallSilently();
    std::string data = project.Folder() + "\\data.txt";

    RunningProgram holder("\"" + e2e::FixturePath("file_holder.exe") + "\" \"" + data + "\"");
    ASSERT_TRUE(e2e::WaitUntil([&] { return FileExists(data + ".held"); }));
    RunningProgram uninstaller(project.UninstallCommand());
    HWND box = project.ConfirmUninstall(uninstaller);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(project.Name() +
                  " has now been uninstalled, however certain items can not be removed until "
                  "your computer is restarted. Restart Now?",
              e2e::MessageBoxText(box));
    // An NT-family system deletes at its next start what it finds recorded
    // here: the path, and an empty destination.
    std::string pending = e2e::PendingRenameText();
    EXPECT_NE(std::string::npos, pending.find(e2e::Lower("\\??\\" + data) + '\0' + '\0'));
    e2e::Click(box, IDNO);
    ASSERT_TRUE(uninstaller.WaitForExit(20000));
    EXPECT_EQ(3010u, uninstaller.ExitCode()) << "the restart is still needed";

    EXPECT_TRUE(FileExists(data));
    EXPECT_FALSE(FileExists(project.Folder() + "\\readme.txt"));
    EXPECT_FALSE(FileExists(project.RecordPath()));
    testing_support::WriteAll(data + ".stop", "");
    ASSERT_TRUE(holder.WaitForExit(20000));
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "the restart itself is only done under Wine";
    }
    RunningProgram restart("wineboot.exe -r");
    ASSERT_TRUE(restart.WaitForExit(60000));
    EXPECT_FALSE(FileExists(data));
}

// Unattended, nobody is asked about the restart: the exit code tells.
TEST(UninstallInUse, SilentlyAFileInUseIsLeftForTheRestartWithoutABox) {
    e2e::InstalledProject project("Silent In Use");
    project.Build(e2e::Script({"[CopyFile]", "data.txt", "<Destination>\\data.txt"}),
                  {{"data.txt", "data"}});
    project.InstallSilently();
    std::string data = project.Folder() + "\\data.txt";
    RunningProgram holder("\"" + e2e::FixturePath("file_holder.exe") + "\" \"" + data + "\"");
    ASSERT_TRUE(e2e::WaitUntil([&] { return FileExists(data + ".held"); }));
    RunningProgram uninstaller(project.UninstallCommand("QuietUninstallString"));
    std::string box;
    ASSERT_TRUE(uninstaller.WaitForExitWatchingForBoxes(30000, &box));
    EXPECT_EQ("", box);
    EXPECT_EQ(3010u, uninstaller.ExitCode());
    EXPECT_NE(std::string::npos, e2e::PendingRenameText().find(e2e::Lower("\\??\\" + data)));
    testing_support::WriteAll(data + ".stop", "");
    ASSERT_TRUE(holder.WaitForExit(20000));
}
