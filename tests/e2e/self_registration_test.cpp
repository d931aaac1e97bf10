// Self-registration by the real installer, whose DLL search is restricted to
// the system folder: a library whose own dependency is installed beside it
// still loads, registers and unregisters, and a registration that fails is
// a failed install. In an install for the current user alone the library's
// classes are that user's.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"

using e2e::RunningProgram;

namespace {

class SelfRegistration : public ::testing::Test {
  protected:
    void SetUp() override {
        project_.Build(
            e2e::Script({"[CopyFile]", "sibling_helper.dll", "<Destination>\\sibling_helper.dll",
                         "", "[CopyFile]", "component.dll", "<Destination>\\component.dll"}),
            {{"sibling_helper.dll", Fixture("sibling_helper.dll")},
             {"component.dll", Fixture("self_register_sibling.dll")}});
        library_ = project_.Folder() + "\\component.dll";
    }
    static std::string Fixture(const char* name) {
        return testing_support::ReadAll(e2e::FixturePath(name));
    }
    DWORD InstallSilently() {
        RunningProgram installer(project_.InstallCommand() + " <Silent>");
        EXPECT_TRUE(installer.WaitForExit(30000));
        return installer.ExitCode();
    }

    e2e::InstalledProject project_{"Self Registration"};
    std::string library_;
};

}  // namespace

TEST_F(SelfRegistration, ALibraryWithItsDependencyBesideItRegistersAndUnregisters) {
    EXPECT_EQ(0u, InstallSilently());
    EXPECT_EQ("x", testing_support::ReadAll(library_ + ".register"));
    RunningProgram uninstaller(project_.UninstallCommand("QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
    EXPECT_EQ("x", testing_support::ReadAll(library_ + ".unregister"));
}

TEST_F(SelfRegistration, AFailedRegistrationFailsTheInstall) {
    CreateDirectoryA("C:\\VornakE2E", nullptr);
    CreateDirectoryA(project_.Folder().c_str(), nullptr);
    testing_support::WriteAll(library_ + ".fail", "");
    EXPECT_EQ(1603u, InstallSilently());
    EXPECT_EQ("x", testing_support::ReadAll(library_ + ".register")) << "it was called";
}

TEST_F(SelfRegistration, ForTheCurrentUserAloneALibraryRegistersInTheUsersOwnClasses) {
    const char kClass[] = "Software\\Classes\\VornakE2E.SelfRegister";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kClass);
    project_.Build(e2e::Script({"[Install Scope]", "CurrentUser", "", "[CopyFile]", "component.dll",
                                "<Destination>\\component.dll"}),
                   {{"component.dll", Fixture("self_register.dll")}});
    EXPECT_EQ(0u, InstallSilently());
    EXPECT_EQ("x", testing_support::ReadAll(library_ + ".register"));
    EXPECT_EQ("registered", e2e::ReadRegistryText(HKEY_CURRENT_USER, kClass, ""));
    EXPECT_EQ("<missing key>", e2e::ReadRegistryText(HKEY_LOCAL_MACHINE, kClass, ""));

    std::string quiet =
        e2e::ReadRegistryText(HKEY_CURRENT_USER, project_.UninstallKey(), "QuietUninstallString");
    RunningProgram uninstaller(quiet);
    ASSERT_TRUE(uninstaller.WaitForExit(30000)) << quiet;
    EXPECT_EQ(0u, uninstaller.ExitCode());
    EXPECT_EQ("x", testing_support::ReadAll(library_ + ".unregister"));
    EXPECT_EQ("<missing key>", e2e::ReadRegistryText(HKEY_CURRENT_USER, kClass, ""));
}
