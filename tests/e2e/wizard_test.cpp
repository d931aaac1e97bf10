// The wizard driven through its real windows: no licence, licence with Back,
// cancelling on the main page and during the installation, the finish page,
// silent installs and the corrupted-package message.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/resource_ids.h"
#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/signed_image.h"

using e2e::Click;
using e2e::ControlText;
using e2e::RunningProgram;

namespace {

class WizardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        project_ =
            std::string("E2E ") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = "C:\\VornakE2E\\" + project_;
        package_ = scratch_.PathOf("setup.exe");
        temp_before_ = e2e::TempFolderItems();
        SetEnvironmentVariableA("VORNAK_RECORD_FILE", scratch_.PathOf("runs.txt").c_str());
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "0");
    }
    void TearDown() override {
        e2e::RemoveTree(folder_);
        RegDeleteKeyA(
            HKEY_LOCAL_MACHINE,
            ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + project_).c_str());
        DeleteFileA(RecordPath().c_str());
        DeleteFileA((e2e::SystemFolder() + "VornakUninstall-" + project_ + ".kept").c_str());
        DeleteFileA((e2e::SystemFolder() + "VornakUninstall-" + project_ + ".bmp").c_str());
        // Nothing of ours stays in the temporary folder: no job folder, no
        // extracted entry, no temporary copy; only what waits for a restart.
        std::vector<std::string> left;
        for (const std::string& item : e2e::TempFolderItems()) {
            if (!check_temp_folder_) {
                break;
            }
            if (std::find(temp_before_.begin(), temp_before_.end(), item) == temp_before_.end() &&
                !e2e::WaitsForRestart(item)) {
                left.push_back(item);
            }
        }
        EXPECT_EQ(std::vector<std::string>{}, left);
    }

    // A package whose script names the project and its folder, then lines.
    void Build(const std::string& body, bool licence = false,
               std::vector<e2e::PackageFile> extra = {}) {
        std::string script = e2e::Script({"[Project Name]", project_.c_str(), "", "[Install To]",
                                          folder_.c_str(), ""}) +
                             body;
        std::vector<e2e::PackageFile> files = {{"setup.dat", script}};
        if (licence) {
            files.push_back({"setup.lic", "TERMS\r\nBe nice.\r\n"});
        }
        files.insert(files.end(), extra.begin(), extra.end());
        ASSERT_TRUE(e2e::BuildPackage(package_, files));
    }
    std::string Command(const char* arguments = "") const {
        return "\"" + package_ + "\" " + arguments;
    }
    std::string MainCaption() const { return project_ + " Installation"; }
    // Answers the one box a damaged package shows, then waits for the exit.
    static void ExpectCorruptedBoxAndExit(RunningProgram& installer) {
        HWND box = installer.WaitForMessageBox("Installer");
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("This installation is corrupted please obtain a new install.",
                  e2e::MessageBoxText(box));
        Click(box, IDOK);
        ASSERT_TRUE(installer.WaitForExit(20000));
    }
    std::string RecordPath() const {
        return e2e::SystemFolder() + "VornakUninstall-" + project_ + ".dat";
    }
    std::string Runs() const { return testing_support::ReadAll(scratch_.PathOf("runs.txt")); }
    // Presses Install on the progress page's Finish and waits for the end.
    void FinishProgress(RunningProgram& installer) {
        HWND progress = installer.WaitForPage("Installing " + project_, IDC_PROGRESS_BAR);
        ASSERT_NE(nullptr, progress);
        ASSERT_TRUE(e2e::WaitUntil([&] { return ControlText(progress, IDCANCEL) == "Finish"; }));
        Click(progress, IDCANCEL);
        ASSERT_TRUE(installer.WaitForExit(20000));
    }

    // The older program in place at the install folder's app.exe, and a
    // package that installs the newer one over it; returns the target.
    std::string PlaceOlderProgramAndBuildNewer() {
        std::string target = folder_ + "\\app.exe";
        CreateDirectoryA("C:\\VornakE2E", nullptr);
        CreateDirectoryA(folder_.c_str(), nullptr);
        EXPECT_TRUE(CopyFileA(e2e::FixturePath("app_v150.exe").c_str(), target.c_str(), FALSE));
        Build(e2e::Script({"[CopyFile]", "app_v200.exe", "<Destination>\\app.exe"}), false,
              {{"app_v200.exe", testing_support::ReadAll(e2e::FixturePath("app_v200.exe"))}});
        return target;
    }
    // The command line of the program that holds target open.
    static std::string HolderCommand(const std::string& target) {
        return "\"" + e2e::FixturePath("file_holder.exe") + "\" \"" + target + "\"";
    }
    // Presses Install on the main page and returns the finish page once its
    // check list is there; null when it does not come.
    HWND InstallToTheFinishList(RunningProgram& installer) const {
        HWND page = installer.WaitForPage(MainCaption(), IDC_LOCATION);
        EXPECT_NE(nullptr, page);
        if (page == nullptr) {
            return nullptr;
        }
        Click(page, IDOK);
        HWND finish = nullptr;
        bool listed = e2e::WaitUntil([&] {
            finish = installer.FindDialog(MainCaption(), IDOK);
            return finish != nullptr &&
                   FindWindowExA(finish, nullptr, "ListBox", nullptr) != nullptr;
        });
        EXPECT_TRUE(listed);
        return listed ? finish : nullptr;
    }

    testing_support::Scratch scratch_;
    std::string project_;
    std::string folder_;
    std::string package_;
    std::vector<std::string> temp_before_;
    // A restart ends the installer before it can clean up after itself.
    bool check_temp_folder_ = true;
};

const char* kCopyReadme[] = {"[CopyFile]", "readme.txt", "<Destination>\\readme.txt", ""};

std::string CopyReadme() {
    return e2e::Script({kCopyReadme[0], kCopyReadme[1], kCopyReadme[2], kCopyReadme[3]});
}

}  // namespace

TEST_F(WizardTest, WithoutLicenceInstallButtonInstalls) {
    Build(CopyReadme(), false, {{"readme.txt", "read me"}});
    RunningProgram installer(Command());
    HWND page = installer.WaitForPage(MainCaption(), IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("Install >>", ControlText(page, IDOK));
    EXPECT_EQ(folder_, ControlText(page, IDC_LOCATION));
    Click(page, IDOK);
    FinishProgress(installer);
    EXPECT_EQ("read me", testing_support::ReadAll(folder_ + "\\readme.txt"));
    EXPECT_TRUE(e2e::FileExists(RecordPath()));
}

TEST_F(WizardTest, LicenceBackKeepsTheTypedFolder) {
    std::string typed = folder_ + "\\Typed";
    Build(CopyReadme(), true, {{"readme.txt", "read me"}});
    RunningProgram installer(Command());
    HWND page = installer.WaitForPage(MainCaption(), IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("Next >>", ControlText(page, IDOK));
    SetDlgItemTextA(page, IDC_LOCATION, typed.c_str());
    Click(page, IDOK);
    HWND licence = installer.WaitForPage(MainCaption(), IDC_LICENCE_TEXT);
    ASSERT_NE(nullptr, licence);
    EXPECT_EQ("TERMS\r\nBe nice.\r\n", ControlText(licence, IDC_LICENCE_TEXT));
    Click(licence, IDCANCEL);  // "<< Back"
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(licence); }));
    EXPECT_EQ(typed, ControlText(page, IDC_LOCATION));
    Click(page, IDOK);
    licence = installer.WaitForPage(MainCaption(), IDC_LICENCE_TEXT);
    ASSERT_NE(nullptr, licence);
    Click(licence, IDOK);  // "Install >>"
    FinishProgress(installer);
    EXPECT_TRUE(e2e::FileExists(typed + "\\readme.txt"));
}

TEST_F(WizardTest, CancelOnTheMainPageInstallsNothing) {
    Build(CopyReadme(), false, {{"readme.txt", "read me"}});
    RunningProgram installer(Command());
    HWND page = installer.WaitForPage(MainCaption(), IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    Click(page, IDCANCEL);
    ASSERT_TRUE(installer.WaitForExit(20000));
    EXPECT_EQ(1602u, installer.ExitCode());
    EXPECT_FALSE(e2e::FileExists(folder_ + "\\readme.txt"));
    EXPECT_FALSE(e2e::FileExists(RecordPath()));
}

// A cancel keeps what was installed, and the record written before the first
// file makes it removable like any installed program.
TEST_F(WizardTest, CancelDuringTheInstallation) {
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "3000");
    std::string recorder = e2e::FixturePath("command_recorder.exe");
    Build(CopyReadme() + e2e::Script({"[RunAndWaitFile]", recorder.c_str(), "first", "", "",
                                      "[CopyFile]", "later.txt", "<Destination>\\later.txt"}),
          false, {{"readme.txt", "read me"}, {"later.txt", "never installed"}});
    RunningProgram installer(Command());
    HWND page = installer.WaitForPage(MainCaption(), IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    Click(page, IDOK);
    HWND progress = installer.WaitForPage("Installing " + project_, IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, progress);

    // No: the installation goes on.
    Click(progress, IDCANCEL);
    HWND question = installer.WaitForMessageBox("Installer");
    ASSERT_NE(nullptr, question);
    EXPECT_EQ("Cancel Installation?", e2e::MessageBoxText(question));
    Click(question, IDNO);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(question); }));
    EXPECT_TRUE(IsWindow(progress));

    // Yes: it stops after the running program, with the cancelled message.
    Click(progress, IDCANCEL);
    question = installer.WaitForMessageBox("Installer");
    ASSERT_NE(nullptr, question);
    Click(question, IDYES);
    HWND cancelled = nullptr;
    const std::string expected = "Installation was cancelled and is incomplete.\n\n" + project_ +
                                 " was only partly installed. It can be removed from the list of "
                                 "installed programs.";
    ASSERT_TRUE(e2e::WaitUntil([&] {
        cancelled = installer.FindDialog("Installer", RunningProgram::kMessageBoxText);
        return cancelled != nullptr && e2e::MessageBoxText(cancelled) == expected;
    }));
    Click(cancelled, IDOK);
    ASSERT_TRUE(installer.WaitForExit(20000));
    EXPECT_EQ(1602u, installer.ExitCode());
    EXPECT_NE(std::string::npos, Runs().find("exited"));
    EXPECT_TRUE(e2e::FileExists(folder_ + "\\readme.txt"));
    EXPECT_FALSE(e2e::FileExists(folder_ + "\\later.txt"));

    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + project_;
    RunningProgram uninstaller(
        e2e::ReadRegistryText(HKEY_LOCAL_MACHINE, key, "QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
    EXPECT_EQ(0u, uninstaller.ExitCode());
    EXPECT_FALSE(e2e::FileExists(folder_ + "\\readme.txt"));
    EXPECT_FALSE(e2e::FileExists(RecordPath()));
}

TEST_F(WizardTest, SilentInstallsEverythingWithoutAPerson) {
    std::string recorder = e2e::FixturePath("command_recorder.exe");
    std::string link = folder_ + "\\Links\\Read me.lnk";
    Build(CopyReadme() +
              e2e::Script({"[CreateIcon]", "<Destination>\\readme.txt", link.c_str(), "",
                           "Optional - A shortcut", "", "[RunFile]", recorder.c_str(), "optional",
                           "Optional - Run it", "", "[Message]", "Not shown", "Information"}),
          true, {{"readme.txt", "read me"}});
    RunningProgram installer(Command("<Silent>"));
    ASSERT_TRUE(installer.WaitForExit(30000));
    EXPECT_EQ(0u, installer.ExitCode());
    EXPECT_TRUE(e2e::FileExists(folder_ + "\\readme.txt"));
    EXPECT_TRUE(e2e::FileExists(link));
    EXPECT_TRUE(e2e::WaitUntil([&] { return Runs().find("optional") != std::string::npos; }));
    EXPECT_TRUE(e2e::FileExists(RecordPath()));
}

// Without its record an entry in the list of programs would remove nothing:
// no entry is written, and the install ends as a failure.
TEST_F(WizardTest, ARecordThatCannotBeWrittenLeavesNoEntryAndFails) {
    Build(CopyReadme(), false, {{"readme.txt", "read me"}});
    ASSERT_TRUE(CreateDirectoryA(RecordPath().c_str(), nullptr)) << "a folder in its place";
    RunningProgram installer(Command("<Silent>"));
    ASSERT_TRUE(installer.WaitForExit(30000));
    RemoveDirectoryA(RecordPath().c_str());
    EXPECT_EQ(1603u, installer.ExitCode());
    EXPECT_EQ("<missing key>",
              e2e::ReadRegistryText(
                  HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + project_,
                  "UninstallString"));
}

TEST_F(WizardTest, AnEmptyPackageIsReportedAsCorrupted) {
    ASSERT_TRUE(CopyFileA(e2e::StubPath().c_str(), package_.c_str(), FALSE));
    RunningProgram installer(Command());
    ASSERT_NO_FATAL_FAILURE(ExpectCorruptedBoxAndExit(installer));
    EXPECT_EQ(1603u, installer.ExitCode());
}

TEST_F(WizardTest, ASignedPackageInstallsAndADamagedOneIsReportedAsCorrupted) {
    Build(CopyReadme(), false, {{"readme.txt", "read me"}});
    std::string signed_bytes =
        testing_support::SignLikeATool(testing_support::ReadAll(package_), 2048);
    std::string damaged = signed_bytes;
    damaged[testing_support::ReadAll(e2e::StubPath()).size() + 10] ^= 0x01;  // entry data
    testing_support::WriteAll(package_, damaged);
    {
        RunningProgram installer(Command());
        ASSERT_NO_FATAL_FAILURE(ExpectCorruptedBoxAndExit(installer));
    }
    testing_support::WriteAll(package_, signed_bytes);
    RunningProgram installer(Command("<Silent>"));
    ASSERT_TRUE(installer.WaitForExit(30000));
    EXPECT_TRUE(e2e::FileExists(folder_ + "\\readme.txt"));
    EXPECT_TRUE(e2e::FileExists(RecordPath()));
}

TEST_F(WizardTest, FinishPageCarriesOutOnlyTheTickedRows) {
    std::string recorder = e2e::FixturePath("command_recorder.exe");
    std::string link = folder_ + "\\Links\\Read me.lnk";
    Build(CopyReadme() + e2e::Script({"[CreateIcon]", "<Destination>\\readme.txt", link.c_str(), "",
                                      "Optional - A shortcut", "[RunFile]", recorder.c_str(),
                                      "programA", "Optional - Program A", "[RunAndWaitFile]",
                                      recorder.c_str(), "programB", "Optional - Program B"}),
          false, {{"readme.txt", "read me"}});
    RunningProgram installer(Command());
    HWND page = installer.WaitForPage(MainCaption(), IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    Click(page, IDOK);
    // Rows: "Create Icon", "Run Program" (A), "Run Program" (B), all ticked.
    HWND finish = installer.WaitForPage(MainCaption(), IDOK, 20000);
    ASSERT_TRUE(e2e::WaitUntil([&] {
        finish = installer.FindDialog(MainCaption(), IDOK);
        return finish != nullptr && FindWindowExA(finish, nullptr, "ListBox", nullptr) != nullptr;
    }));
    HWND list = FindWindowExA(finish, nullptr, "ListBox", nullptr);
    ASSERT_EQ(3, SendMessageA(list, LB_GETCOUNT, 0, 0));
    // A click in the first row's check box, and space on the second row.
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    PostMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
    Sleep(300);
    Click(finish, IDOK);
    ASSERT_TRUE(installer.WaitForExit(20000));
    EXPECT_FALSE(e2e::FileExists(link));
    EXPECT_EQ(std::string::npos, Runs().find("programA"));
    EXPECT_NE(std::string::npos, Runs().find("programB"));
}

TEST_F(WizardTest, AFileInUseOffersTheRebootRowAndUntickingItRestartsNothing) {
    // The older program is in place and held open: the newer one can only
    // replace it at the next restart.
    std::string target = PlaceOlderProgramAndBuildNewer();
    RunningProgram holder(HolderCommand(target));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(target + ".held"); }));
    RunningProgram installer(Command());
    HWND finish = InstallToTheFinishList(installer);
    ASSERT_NE(nullptr, finish);
    HWND list = FindWindowExA(finish, nullptr, "ListBox", nullptr);
    EXPECT_EQ(1, SendMessageA(list, LB_GETCOUNT, 0, 0)) << "only the Reboot row";
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
    Click(finish, IDOK);
    ASSERT_TRUE(installer.WaitForExit(20000)) << "no restart was asked for";
    EXPECT_EQ(3010u, installer.ExitCode()) << "the restart is still needed";
    EXPECT_EQ(testing_support::ReadAll(e2e::FixturePath("app_v150.exe")),
              testing_support::ReadAll(target));
    testing_support::WriteAll(target + ".stop", "");
    ASSERT_TRUE(holder.WaitForExit(20000));
    DeleteFileA((target + ".held").c_str());
    DeleteFileA((target + ".stop").c_str());
}

// Restarts the (Wine) system: ctest runs it alone, in a prefix of its own.
TEST_F(WizardTest, KeepingTheRebootRowTickedRestartsAndReplacesTheFile) {
    check_temp_folder_ = false;
    std::string target = PlaceOlderProgramAndBuildNewer();
    {
        RunningProgram holder(HolderCommand(target));
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(target + ".held"); }));
        RunningProgram installer(Command());
        HWND finish = InstallToTheFinishList(installer);
        ASSERT_NE(nullptr, finish);
        testing_support::WriteAll(target + ".stop", "");
        ASSERT_TRUE(holder.WaitForExit(20000));
        Click(finish, IDOK);  // the Reboot row stays ticked
        ASSERT_TRUE(installer.WaitForExit(30000));
    }
    // The restart carried out the scheduled replacement, and the product,
    // whose script runs no program, has its record all the same.
    EXPECT_TRUE(e2e::WaitUntil([&] {
        return testing_support::ReadAll(target) ==
               testing_support::ReadAll(e2e::FixturePath("app_v200.exe"));
    }));
    EXPECT_TRUE(e2e::FileExists(RecordPath()));
    EXPECT_NE(std::string::npos,
              e2e::ReadRegistryText(
                  HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + project_,
                  "UninstallString")
                  .find("<uninstall>"));
    DeleteFileA((target + ".held").c_str());
    DeleteFileA((target + ".stop").c_str());
}

// "<NoRestart>": a file in use is replaced at the next restart, which the
// run neither does nor offers; unattended, nothing waits for a person.
TEST_F(WizardTest, NoRestartLeavesTheRestartToTheCallerWithCode3010) {
    std::string target = PlaceOlderProgramAndBuildNewer();
    RunningProgram holder(HolderCommand(target));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::FileExists(target + ".held"); }));
    RunningProgram installer(Command("<Silent> <NoRestart>"));
    std::string box;
    ASSERT_TRUE(installer.WaitForExitWatchingForBoxes(30000, &box));
    EXPECT_EQ("", box);
    EXPECT_EQ(3010u, installer.ExitCode());
    EXPECT_NE(std::string::npos, e2e::PendingRenameText().find(e2e::Lower(target)));
    EXPECT_EQ(testing_support::ReadAll(e2e::FixturePath("app_v150.exe")),
              testing_support::ReadAll(target));
    testing_support::WriteAll(target + ".stop", "");
    ASSERT_TRUE(holder.WaitForExit(20000));
    DeleteFileA((target + ".held").c_str());
    DeleteFileA((target + ".stop").c_str());
}
