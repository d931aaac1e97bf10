// What the installer refuses before it changes anything: a typed install
// folder that is not a full path (the page stays open for another), and a
// package whose project name would put its uninstall record outside the
// system folder (told, and not even shown under "<Silent>"); and a run whose
// memory runs out ends as a failure, with a box when someone is there.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/resource_ids.h"
#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"

using e2e::Click;
using e2e::FileExists;
using e2e::RunningProgram;

TEST(InstallRefusals, AFolderThatIsNotAFullPathIsAskedForAgain) {
    e2e::InstalledProject project("Relative");
    project.Build(e2e::Script({"[CopyFile]", "readme.txt", "<Destination>\\readme.txt"}),
                  {{"readme.txt", "read me"}});
    RunningProgram installer(project.InstallCommand());
    HWND page = installer.WaitForPage(project.Name() + " Installation", IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    for (const char* typed : {"VornakE2E\\Relative", "\\VornakE2E\\Relative", "C:VornakE2E"}) {
        SetDlgItemTextA(page, IDC_LOCATION, typed);
        Click(page, IDOK);
        HWND box = installer.WaitForMessageBox("Installer");
        ASSERT_NE(nullptr, box) << typed;
        EXPECT_EQ(
            "Please set a full install location, with its drive (C:\\Program Files\\App) or "
            "network share (\\\\server\\share\\App).",
            e2e::MessageBoxText(box));
        Click(box, IDOK);
        ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }));
        EXPECT_TRUE(IsWindow(page)) << typed;
    }
    Click(page, IDCANCEL);
    ASSERT_TRUE(installer.WaitForExit(20000));
    EXPECT_FALSE(FileExists("C:\\VornakE2E\\Relative\\readme.txt"));
    EXPECT_FALSE(FileExists(project.RecordPath()));
}

TEST(InstallRefusals, AProjectNameThatLeavesTheSystemFolderInstallsNothing) {
    // Unchecked, the record would go to the Windows folder as "E2E Evil.dat".
    const char kName[] = "\\..\\..\\E2E Evil";
    const std::string folder = "C:\\VornakE2E\\E2E Evil";
    testing_support::Scratch scratch;
    std::string package = scratch.PathOf("setup.exe");
    ASSERT_TRUE(e2e::BuildPackage(
        package,
        {{"setup.dat", e2e::Script({"[Project Name]", kName, "", "[Install To]", folder.c_str(), "",
                                    "[CopyFile]", "readme.txt", "<Destination>\\readme.txt"})},
         {"readme.txt", "read me"}}));
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    std::string escaped_record = std::string(windows) + "\\E2E Evil.dat";

    for (const char* markers : {"", " <Silent>"}) {
        RunningProgram installer("\"" + package + "\"" + markers);
        if (markers[0] == '\0') {
            HWND box = installer.WaitForMessageBox("Installer");
            ASSERT_NE(nullptr, box);
            EXPECT_EQ("The project name \"" + std::string(kName) +
                          "\" holds \\, /, : or .., so its uninstall record would not be in the "
                          "system folder. Nothing was installed.",
                      e2e::MessageBoxText(box));
            // No page was ever shown.
            EXPECT_EQ(nullptr, installer.FindDialog(std::string(kName) + " Installation"));
            Click(box, IDOK);
        }
        ASSERT_TRUE(installer.WaitForExit(20000)) << markers;
        EXPECT_EQ(1603u, installer.ExitCode()) << markers;
        EXPECT_FALSE(FileExists(folder + "\\readme.txt")) << markers;
        EXPECT_FALSE(FileExists(escaped_record)) << markers;
    }
    e2e::RemoveTree(folder);
    DeleteFileA(escaped_record.c_str());
}

TEST(InstallRefusals, AFailedAllocationEndsAsAFailure) {
    for (const char* markers : {"", " <Silent>"}) {
        RunningProgram program("\"" + e2e::FixturePath("allocation_failure.exe") + "\"" + markers);
        if (markers[0] == '\0') {
            HWND box = program.WaitForMessageBox("Installer");
            ASSERT_NE(nullptr, box);
            EXPECT_EQ("There is not enough memory to go on. The program ends here.",
                      e2e::MessageBoxText(box));
            Click(box, IDOK);
        }
        ASSERT_TRUE(program.WaitForExit(20000)) << markers;
        EXPECT_EQ(1603u, program.ExitCode()) << markers;
    }
}
