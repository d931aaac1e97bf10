// Install, then uninstall through the command line Windows' list of programs
// would run: Yes removes what the installation made and nothing else, No
// removes nothing, the quiet command needs nobody, a lost record still
// takes the entry away, a reinstall proposes the old folder only while
// the record is there, and an install folder as long as a path allows takes
// its files and gives them back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "ui/resource_ids.h"
#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"
#include "tests/windows/registry_test_key.h"

using e2e::Click;
using e2e::ControlText;
using e2e::FileExists;
using e2e::FolderExists;
using e2e::RunningProgram;
using testing_support::RegistryKeyExists;

namespace {

const char kTool[] = "E2EUninstTool.exe";
const char kAppPathsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\E2EUninstTool.exe";

class UninstallRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        project_ = std::make_unique<e2e::InstalledProject>(
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        SetEnvironmentVariableA("VORNAK_RECORD_FILE", Runs().c_str());
        // Long enough that an uninstaller not waiting for the program would
        // find its file still in use.
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "1000");
    }
    void TearDown() override {
        project_->CleanUp();
        e2e::RemoveTree(LibraryFolder());
        e2e::RemoveTree(ShortcutFolder());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey().c_str());
    }

    std::string Installed(const char* name) const { return project_->Folder() + "\\" + name; }
    std::string LibraryFolder() const { return project_->Folder() + " Lib"; }
    std::string ShortcutFolder() const { return e2e::StartProgramsFolder() + project_->Name(); }
    std::string Shortcut() const { return ShortcutFolder() + "\\" + project_->Name() + ".lnk"; }
    std::string SettingsKey() const { return "Software\\VornakE2E\\" + project_->Name(); }
    std::string Runs() const { return scratch_.PathOf("runs.txt"); }

    // A product as people ship them: a program with its App Paths entry, a
    // document, settings in a subfolder, a self-registering library kept
    // elsewhere, a setting in the registry, a start-menu shortcut, and a
    // program to run when it is uninstalled.
    void BuildProduct() {
        std::string library = LibraryFolder() + "\\self_register.dll";
        std::string settings_key = SettingsKey();
        std::string link =
            "<Start Programs>\\" + project_->Name() + "\\" + project_->Name() + ".lnk";
        project_->Build(
            e2e::Script({"[Action]",
                         "Installing",
                         "",
                         "[CopyFile]",
                         kTool,
                         "<Destination>\\E2EUninstTool.exe",
                         "",
                         "[CopyFile]",
                         "readme.txt",
                         "<Destination>\\readme.txt",
                         "",
                         "[CopyFile]",
                         "settings.ini",
                         "<Destination>\\config\\settings.ini",
                         "",
                         "[CopyFile]",
                         "self_register.dll",
                         library.c_str(),
                         "",
                         "[Registry]",
                         "HKCU",
                         settings_key.c_str(),
                         "STRING",
                         "Folder",
                         "<Destination>",
                         "",
                         "[CreateIcon]",
                         "<Destination>\\E2EUninstTool.exe",
                         link.c_str(),
                         "",
                         "",
                         "",
                         "[UninstallAction]",
                         "<Destination>\\E2EUninstTool.exe",
                         "--bye <Destination>"}),
            {{kTool, testing_support::ReadAll(e2e::FixturePath("command_recorder.exe"))},
             {"readme.txt", "read me"},
             {"settings.ini", "[a]\r\nb=1\r\n"},
             {"self_register.dll",
              testing_support::ReadAll(e2e::FixturePath("self_register.dll"))}});
    }
    void ExpectInstalled() const {
        EXPECT_TRUE(FileExists(Installed(kTool)));
        EXPECT_TRUE(FileExists(Installed("config\\settings.ini")));
        EXPECT_TRUE(FileExists(LibraryFolder() + "\\self_register.dll"));
        EXPECT_TRUE(FileExists(Shortcut()));
        EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
        EXPECT_TRUE(FileExists(project_->RecordPath()));
        EXPECT_TRUE(FileExists(project_->BannerPath()));
        EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, project_->UninstallKey()));
    }
    void ExpectUninstalled() const {
        EXPECT_FALSE(FolderExists(project_->Folder())) << "files or folders were left";
        EXPECT_FALSE(FileExists(Shortcut()));
        EXPECT_FALSE(FolderExists(ShortcutFolder()));
        EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
        EXPECT_FALSE(FileExists(project_->RecordPath()));
        EXPECT_FALSE(FileExists(project_->BannerPath()));
        EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, project_->UninstallKey()));
        // The library went after it was told to unregister; its traces stay.
        EXPECT_FALSE(FileExists(LibraryFolder() + "\\self_register.dll"));
        EXPECT_EQ("x",
                  testing_support::ReadAll(LibraryFolder() + "\\self_register.dll.unregister"));
        // What is not undone: registry values, and the uninstaller itself.
        EXPECT_EQ(project_->Folder() + "\\",
                  e2e::ReadRegistryText(HKEY_CURRENT_USER, SettingsKey(), "Folder"));
        EXPECT_TRUE(FileExists(e2e::SystemFolder() + "VornakUninstall.exe"));
        // The uninstall program ran to its end before its own file went.
        std::string runs = testing_support::ReadAll(Runs());
        EXPECT_NE(std::string::npos,
                  runs.find(Installed(kTool) + "\" --bye " + project_->Folder() + "\\\r\n"))
            << runs;
        EXPECT_EQ(runs.size() - 8, runs.find("exited\r\n")) << runs;
    }

    testing_support::Scratch scratch_;
    std::unique_ptr<e2e::InstalledProject> project_;
};

}  // namespace

TEST_F(UninstallRoundTrip, YesRemovesWhatTheInstallationMade) {
    BuildProduct();
    project_->InstallSilently();
    ExpectInstalled();
    std::string command = project_->UninstallCommand();
    std::string system = e2e::RegisteredSystemFolder();
    EXPECT_EQ("\"" + system + "VornakUninstall.exe\" <uninstall>" + system + "VornakUninstall-" +
                  project_->Name() + ".dat",
              command);

    RunningProgram uninstaller(command);
    ASSERT_TRUE(uninstaller.Started());
    HWND dialog =
        uninstaller.WaitForPage("Uninstalling " + project_->Name(), IDC_UNINSTALL_PROGRESS);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Uninstalling " + project_->Name(), ControlText(dialog, IDC_UNINSTALL_TEXT));
    HWND done = project_->ConfirmUninstall(uninstaller);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(project_->Name() + " has now been uninstalled.", e2e::MessageBoxText(done));
    EXPECT_EQ(100, SendDlgItemMessageA(dialog, IDC_UNINSTALL_PROGRESS, PBM_GETPOS, 0, 0));
    Click(done, IDOK);
    ASSERT_TRUE(uninstaller.WaitForExit(20000));
    EXPECT_EQ(0u, uninstaller.ExitCode());
    ExpectUninstalled();
}

TEST_F(UninstallRoundTrip, NoRemovesNothing) {
    BuildProduct();
    project_->InstallSilently();
    RunningProgram uninstaller(project_->UninstallCommand());
    HWND question = uninstaller.WaitForMessageBox("Uninstall");
    ASSERT_NE(nullptr, question);
    Click(question, IDNO);
    // No further box: the uninstaller ends by itself.
    ASSERT_TRUE(uninstaller.WaitForExit(20000));
    EXPECT_EQ(1602u, uninstaller.ExitCode());
    ExpectInstalled();
    EXPECT_FALSE(FileExists(Runs()));
}

TEST_F(UninstallRoundTrip, QuietUninstallNeedsNobody) {
    BuildProduct();
    project_->InstallSilently();
    std::string quiet = project_->UninstallCommand("QuietUninstallString");
    EXPECT_NE(std::string::npos, quiet.find("<Silent><uninstall>")) << quiet;
    RunningProgram uninstaller(quiet);
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
    EXPECT_EQ(0u, uninstaller.ExitCode());
    ExpectUninstalled();
}

TEST_F(UninstallRoundTrip, LostRecordStillTakesTheEntryAway) {
    BuildProduct();
    project_->InstallSilently();
    ASSERT_TRUE(DeleteFileA(project_->RecordPath().c_str()));
    RunningProgram uninstaller(project_->UninstallCommand());
    HWND done = project_->ConfirmUninstall(uninstaller);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(project_->Name() + " has now been uninstalled.", e2e::MessageBoxText(done));
    Click(done, IDOK);
    ASSERT_TRUE(uninstaller.WaitForExit(20000));
    EXPECT_EQ(0u, uninstaller.ExitCode()) << "a missing record is cleaned up as before";
    EXPECT_FALSE(FileExists(project_->BannerPath()));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, project_->UninstallKey()));
    // Without the record nothing says what was installed: it all stays.
    EXPECT_TRUE(FileExists(Installed(kTool)));
}

TEST_F(UninstallRoundTrip, ReinstallProposesTheOldFolderUntilUninstalled) {
    project_->Build(e2e::Script({"[CopyFile]", "readme.txt", "<Destination>\\readme.txt"}),
                    {{"readme.txt", "read me"}});
    std::string caption = project_->Name() + " Installation";
    std::string chosen = project_->Folder() + "\\Chosen";
    {
        RunningProgram installer(project_->InstallCommand());
        HWND page = installer.WaitForPage(caption, IDC_LOCATION);
        ASSERT_NE(nullptr, page);
        SetDlgItemTextA(page, IDC_LOCATION, chosen.c_str());
        Click(page, IDOK);
        HWND progress = installer.WaitForPage("Installing " + project_->Name(), IDC_PROGRESS_BAR);
        ASSERT_NE(nullptr, progress);
        ASSERT_TRUE(e2e::WaitUntil([&] { return ControlText(progress, IDCANCEL) == "Finish"; }));
        Click(progress, IDCANCEL);
        ASSERT_TRUE(installer.WaitForExit(20000));
        ASSERT_TRUE(FileExists(chosen + "\\readme.txt"));
    }
    auto proposed_folder = [&] {
        RunningProgram installer(project_->InstallCommand());
        HWND page = installer.WaitForPage(caption, IDC_LOCATION);
        std::string folder = page != nullptr ? ControlText(page, IDC_LOCATION) : "<no page>";
        if (page != nullptr) {
            Click(page, IDCANCEL);
        }
        EXPECT_TRUE(installer.WaitForExit(20000));
        return folder;
    };
    EXPECT_EQ(chosen, proposed_folder());

    RunningProgram uninstaller(project_->UninstallCommand("QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
    EXPECT_FALSE(FileExists(chosen + "\\readme.txt"));
    EXPECT_EQ(project_->Folder(), proposed_folder());
}

TEST(LongInstallFolder, AFolderOf245CharactersInstallsAndUninstalls) {
    // Its files' paths fit, but not one beside them with a longer name.
    std::string folder = "C:\\VornakE2E\\Long";
    while (folder.size() < 245) {
        folder += "\\" + std::string(std::min<size_t>(50, 245 - folder.size() - 1), 'd');
    }
    ASSERT_EQ(245u, folder.size());
    e2e::InstalledProject project("Long Folder", folder);
    project.Build(e2e::Script({"[CopyFile]", "a.txt", "<Destination>\\a.txt"}),
                  {{"a.txt", "long"}});
    {
        RunningProgram installer(project.InstallCommand() + " <Silent>");
        // A box nobody answers would keep it running.
        ASSERT_TRUE(installer.WaitForExit(30000));
        EXPECT_EQ(0u, installer.ExitCode());
    }
    EXPECT_EQ("long", testing_support::ReadAll(folder + "\\a.txt"));
    RunningProgram uninstaller(project.UninstallCommand("QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
    EXPECT_FALSE(FileExists(folder + "\\a.txt"));
    e2e::RemoveTree("C:\\VornakE2E\\Long");
}
