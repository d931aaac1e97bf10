// On 64-bit Windows the list of installed programs is a 64-bit program. It
// starts the "UninstallString" that the 32-bit installer wrote as it stands,
// and sees the real system32, not the SysWOW64 folder that the installer's
// writes to system32 went to. A 64-bit helper does just that here.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"

#ifdef VORNAK_START64_PATH
namespace {

// The question or the closing box of the uninstaller, whichever process
// shows it (the helper started it, so its process id is not ours to know).
// A box is found from the moment its window exists, before it has its text
// and shows; read or pressed then, it gives an empty text and loses the
// click. So only a visible box with its text counts.
HWND UninstallBox(HWND other_than = nullptr) {
    HWND box = FindWindowA("#32770", "Uninstall");
    if (box == nullptr || box == other_than || !IsWindowVisible(box) ||
        e2e::MessageBoxText(box).empty()) {
        return nullptr;
    }
    return box;
}

bool RunningUnderWow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

}  // namespace
#endif

TEST(UninstallWow64, ASixtyFourBitProgramStartsTheUninstallString) {
#ifndef VORNAK_START64_PATH
    GTEST_SKIP() << "the installer of this build is not a 32-bit program, so WoW64 does not "
                    "concern it; the i686 build runs this test wherever 32-bit code runs";
#else
    if (!RunningUnderWow64()) {
        GTEST_SKIP() << "this Windows is 32-bit: there is no 64-bit program to start anything";
    }
    e2e::InstalledProject project("Wow64");
    project.Build(e2e::Script({"[CopyFile]", "readme.txt", "<Destination>\\readme.txt"}),
                  {{"readme.txt", "read me"}});
    project.InstallSilently();
    ASSERT_TRUE(e2e::FileExists(project.Folder() + "\\readme.txt"));

    e2e::RunningProgram starter("\"" VORNAK_START64_PATH "\" \"" + project.Name() +
                                "\" UninstallString");
    ASSERT_TRUE(starter.Started());
    HWND question = nullptr;
    // The helper ends at once when it cannot start the command line.
    ASSERT_TRUE(e2e::WaitUntil([&] {
        question = UninstallBox();
        return question != nullptr || starter.WaitForExit(0);
    }));
    ASSERT_NE(nullptr, question) << "the 64-bit program could not start "
                                 << project.UninstallCommand();
    EXPECT_EQ("Uninstall " + project.Name() + "?", e2e::MessageBoxText(question));
    e2e::Click(question, IDYES);
    HWND done = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (done = UninstallBox(question)) != nullptr; }, 30000));
    EXPECT_EQ(project.Name() + " has now been uninstalled.", e2e::MessageBoxText(done));
    e2e::Click(done, IDOK);
    ASSERT_TRUE(starter.WaitForExit(20000));

    EXPECT_FALSE(e2e::FileExists(project.Folder() + "\\readme.txt"));
    EXPECT_FALSE(e2e::FolderExists(project.Folder()));
    EXPECT_FALSE(e2e::FileExists(project.RecordPath()));
#endif
}
