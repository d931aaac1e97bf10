// Installs for the current user alone, run unattended as deployment tools
// run them: the package's [Install Scope], the "<CurrentUser>" and
// "<AllUsers>" markers, and the user's own places for everything the
// install keeps; and who needs administrator rights, when a user without
// them starts the installer.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "ui/resource_ids.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"

namespace {

const char kProject[] = "E2E Scope";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\E2E Scope";
const char kAppPathsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\scopetool.exe";
const char kOwnKey[] = "Software\\VornakE2E\\Scope";

std::string LocalAppData() {
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_LOCAL_APPDATA, FALSE);
    return folder;
}

bool KeyExists(HKEY root, const char* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

class InstallScopeTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteKeyA(root, kUninstallKey);
            RegDeleteKeyA(root, kAppPathsKey);
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, kOwnKey);
        e2e::RemoveTree(UserFolder());
        e2e::RemoveTree(MachineFolder());
        for (const std::string& record : {UserRecord(), MachineRecord()}) {
            DeleteFileA(record.c_str());
            DeleteFileA((record.substr(0, record.size() - 4) + ".bmp").c_str());
        }
    }

    static std::string UserFolder() { return LocalAppData() + "\\Programs\\E2E Scope"; }
    static std::string MachineFolder() {
        return e2e::ReadRegistryText(HKEY_LOCAL_MACHINE,
                                     "Software\\Microsoft\\Windows\\CurrentVersion",
                                     "ProgramFilesDir") +
               "\\E2E Scope";
    }
    static std::string UserRecord() {
        return LocalAppData() + "\\VornakUninstall\\VornakUninstall-E2E Scope.dat";
    }
    static std::string MachineRecord() {
        return e2e::SystemFolder() + "VornakUninstall-E2E Scope.dat";
    }

    // A package whose [Install Scope] says scope (none when empty), with a
    // program, a key of the user's and body after them.
    void Build(const char* scope, const std::string& body = "") {
        std::string script = e2e::Script(
            {"[Project Name]", kProject, "", "[Install To]", "<Program Files>\\E2E Scope", ""});
        if (scope[0] != '\0') {
            script += e2e::Script({"[Install Scope]", scope, ""});
        }
        script +=
            e2e::Script({"[CopyFile]", "scopetool.exe", "<Destination>\\scopetool.exe", "",
                         "[Registry]", "HKCU", kOwnKey, "STRING", "Folder", "<Destination>", ""}) +
            body;
        ASSERT_TRUE(e2e::BuildPackage(package_, {{"setup.dat", script},
                                                 {"setup.bmp", e2e::TinyBitmap()},
                                                 {"scopetool.exe", "MZ scope tool"}}));
    }

    // Runs command unattended; its exit code, failing on any box shown.
    DWORD Run(const std::string& command) {
        e2e::RunningProgram program(command);
        return Await(program, command);
    }
    // The same as a user without administrator rights, with "<Log>" put
    // after the program's name; log_text gets the log.
    DWORD RunAsUser(const std::string& command, std::string* log_text) {
        std::string log = scratch_.PathOf("run.log");
        size_t name_end = command.find('"', 1) + 1;
        std::string logged =
            command.substr(0, name_end) + " <Log>\"" + log + "\"" + command.substr(name_end);
        e2e::RunningProgram program(logged, e2e::WithoutAdministratorRights{});
        EXPECT_TRUE(program.Started()) << logged;
        DWORD exit_code = Await(program, logged);
        *log_text = testing_support::ReadAll(log);
        return exit_code;
    }
    static DWORD Await(e2e::RunningProgram& program, const std::string& command) {
        std::string box;
        EXPECT_TRUE(program.WaitForExitWatchingForBoxes(30000, &box)) << command;
        EXPECT_EQ("", box) << command;
        return program.ExitCode();
    }

    DWORD Install(const std::string& markers) {
        return Run("\"" + package_ + "\" <Silent> " + markers);
    }

    testing_support::Scratch scratch_;
    std::string package_ = scratch_.PathOf("scope.exe");
};

// As a user who is no administrator: neither the install nor the uninstall
// asks for the rights, or needs them.
TEST_F(InstallScopeTest, ACurrentUserPackageInstallsAndUninstallsInTheUsersOwnPlaces) {
    Build("CurrentUser");
    std::string log;
    ASSERT_EQ(0u, RunAsUser("\"" + package_ + "\" <Silent>", &log)) << log;
    EXPECT_NE(std::string::npos, log.find("administrator rights: no")) << log;
    EXPECT_EQ(std::string::npos, log.find("<Elevated>")) << log;

    EXPECT_TRUE(e2e::FileExists(UserFolder() + "\\scopetool.exe"));
    EXPECT_FALSE(e2e::FolderExists(MachineFolder()));
    EXPECT_EQ(UserFolder() + "\\", e2e::ReadRegistryText(HKEY_CURRENT_USER, kOwnKey, "Folder"));
    // The entry in the user's list of programs, its uninstaller and record
    // in the user's own folder, told that the install was the user's.
    std::string quiet =
        e2e::ReadRegistryText(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString");
    std::string stub = LocalAppData() + "\\VornakUninstall\\VornakUninstall.exe";
    EXPECT_EQ("\"" + stub + "\" <Silent><CurrentUser><uninstall>" + UserRecord(), quiet);
    EXPECT_EQ(kProject, e2e::ReadRegistryText(HKEY_CURRENT_USER, kUninstallKey, "DisplayName"));
    EXPECT_TRUE(e2e::FileExists(stub));
    EXPECT_TRUE(e2e::FileExists(UserRecord()));
    EXPECT_EQ(UserFolder() + "\\scopetool.exe",
              e2e::ReadRegistryText(HKEY_CURRENT_USER, kAppPathsKey, ""));
    // Nothing of it is the machine's.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppPathsKey));
    EXPECT_FALSE(e2e::FileExists(MachineRecord()));

    ASSERT_EQ(0u, RunAsUser(quiet, &log)) << log;
    EXPECT_NE(std::string::npos, log.find("administrator rights: no")) << log;
    EXPECT_FALSE(e2e::FolderExists(UserFolder()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAppPathsKey));
    EXPECT_FALSE(e2e::FileExists(UserRecord()));
}

TEST_F(InstallScopeTest, TheCommandLineChoosesAmongTheScopesThePackageAllows) {
    // Refused before anything is written: a scope the package does not
    // allow, both at once, and an install for the user that would have to
    // write the machine's registry.
    Build("");
    EXPECT_EQ(1639u, Install("<CurrentUser>"));
    Build("CurrentUser");
    EXPECT_EQ(1639u, Install("<AllUsers>"));
    EXPECT_EQ(1639u, Install("<CurrentUser> <AllUsers>"));
    Build("CurrentUser", e2e::Script({"[Registry]", "HKLM", "Software\\VornakE2E\\Scope", "STRING",
                                      "Folder", "<Destination>", ""}));
    EXPECT_EQ(1603u, Install(""));
    EXPECT_FALSE(e2e::FolderExists(UserFolder()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));

    // A package that allows both installs for all users unless told.
    Build("Both");
    ASSERT_EQ(0u, Install(""));
    EXPECT_TRUE(e2e::FileExists(MachineFolder() + "\\scopetool.exe"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    ASSERT_EQ(
        0u, Run(e2e::ReadRegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    ASSERT_EQ(0u, Install("<CurrentUser>"));
    EXPECT_TRUE(e2e::FileExists(UserFolder() + "\\scopetool.exe"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// What every package that installs for all users does when a user without
// the rights starts it, or its uninstaller: it starts itself again
// elevated, and that run writes the log the command line asked for.
TEST_F(InstallScopeTest, AnInstallForAllUsersStartsItselfAgainWithAdministratorRights) {
    Build("");
    std::string log;
    ASSERT_EQ(0u, RunAsUser("\"" + package_ + "\" <Silent>", &log)) << log;
    EXPECT_NE(std::string::npos, log.find("\" <Elevated> <Log>")) << log;
    EXPECT_NE(std::string::npos, log.find("administrator rights: yes")) << log;
    EXPECT_TRUE(e2e::FileExists(MachineFolder() + "\\scopetool.exe"));
    std::string quiet =
        e2e::ReadRegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
    ASSERT_NE("", quiet);

    ASSERT_EQ(0u, RunAsUser(quiet, &log)) << log;
    EXPECT_NE(std::string::npos, log.find("administrator rights: yes")) << log;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(e2e::FolderExists(MachineFolder()));
}

// A package that allows both asks on its main page. For the user alone it
// goes on as it is; for all users it starts again elevated, with the
// page's folder, and that run's page asks no more.
TEST_F(InstallScopeTest, TheMainPageAsksWhomAPackageThatAllowsBothIsFor) {
    Build("Both");
    const std::string caption = std::string(kProject) + " Installation";
    e2e::RunningProgram for_me("\"" + package_ + "\"", e2e::WithoutAdministratorRights{});
    HWND page = for_me.WaitForPage(caption, IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_SCOPE_ME)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_SCOPE_ALL));
    EXPECT_EQ(MachineFolder(), e2e::ControlText(page, IDC_LOCATION));
    e2e::Click(page, IDC_SCOPE_ME);
    EXPECT_TRUE(
        e2e::WaitUntil([&] { return e2e::ControlText(page, IDC_LOCATION) == UserFolder(); }));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, IDC_SCOPE_ME));
    e2e::Click(page, IDOK);
    HWND progress = for_me.WaitForPage("Installing " + std::string(kProject), IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, progress);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ControlText(progress, IDCANCEL) == "Finish"; }));
    e2e::Click(progress, IDCANCEL);
    ASSERT_TRUE(for_me.WaitForExit(20000));
    EXPECT_EQ(0u, for_me.ExitCode());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    e2e::RunningProgram for_all("\"" + package_ + "\"", e2e::WithoutAdministratorRights{});
    page = for_all.WaitForPage(caption, IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    SetDlgItemTextA(page, IDC_LOCATION, "C:\\VornakE2E\\Scope Chosen");
    e2e::Click(page, IDOK);
    // The elevated run's page, in another process.
    HWND elevated_page = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] {
        elevated_page = e2e::WaitForPageOfAnyProcess(caption, IDC_LOCATION);
        return elevated_page != nullptr && elevated_page != page;
    }));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(elevated_page, IDC_SCOPE_ME)));
    EXPECT_EQ("C:\\VornakE2E\\Scope Chosen", e2e::ControlText(elevated_page, IDC_LOCATION));
    e2e::Click(elevated_page, IDOK);
    progress =
        e2e::WaitForPageOfAnyProcess("Installing " + std::string(kProject), IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, progress);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ControlText(progress, IDCANCEL) == "Finish"; }));
    e2e::Click(progress, IDCANCEL);
    ASSERT_TRUE(for_all.WaitForExit(20000));
    EXPECT_EQ(0u, for_all.ExitCode());
    EXPECT_TRUE(e2e::FileExists("C:\\VornakE2E\\Scope Chosen\\scopetool.exe"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        EXPECT_EQ(0u, Run(e2e::ReadRegistryText(root, kUninstallKey, "QuietUninstallString")));
    }
    EXPECT_FALSE(e2e::FolderExists("C:\\VornakE2E\\Scope Chosen"));
}

// When Windows does not start the elevated run, the installer says so
// and fails; nothing is installed. Under Wine, which elevates without a
// prompt, the start fails when the installer's file is gone by then.
TEST_F(InstallScopeTest, AnElevatedRunThatDoesNotStartIsReportedAndInstallsNothing) {
    std::string folder = scratch_.PathOf("away");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    package_ = folder + "\\scope.exe";
    Build("Both");
    e2e::RunningProgram installer("\"" + package_ + "\"", e2e::WithoutAdministratorRights{});
    HWND page = installer.WaitForPage(std::string(kProject) + " Installation", IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    // Wine lets the folder of a running program be renamed.
    ASSERT_TRUE(MoveFileA(folder.c_str(), (folder + "-moved").c_str()));
    e2e::Click(page, IDOK);
    HWND box = installer.WaitForMessageBox("Installer");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(
        "Installing E2E Scope for all users needs administrator rights, which were not given. "
        "Nothing was changed.",
        e2e::MessageBoxText(box));
    e2e::Click(box, IDOK);
    ASSERT_TRUE(installer.WaitForExit(20000));
    EXPECT_EQ(1603u, installer.ExitCode());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(e2e::FolderExists(MachineFolder()));
}

}  // namespace
