// Install containers driven through their window: embedded installers run in
// order one at a time, a real nested installer installs, Cancel starts no
// further installer, and the wizard never appears.
#include <gtest/gtest.h>

#include <string>

#include "ui/resource_ids.h"
#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"

using e2e::Click;
using e2e::ControlText;
using e2e::RunningProgram;

namespace {

class ContainerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        package_ = scratch_.PathOf("container.exe");
        jobs_before_ = e2e::JobFolders().size();
        SetEnvironmentVariableA("VORNAK_RECORD_FILE", scratch_.PathOf("runs.txt").c_str());
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "1500");
    }
    void TearDown() override {
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "0");
        SetEnvironmentVariableA("VORNAK_RECORD_EXIT_CODE", nullptr);
    }
    std::string Recorder() const {
        return testing_support::ReadAll(e2e::FixturePath("command_recorder.exe"));
    }
    std::string Runs() const { return testing_support::ReadAll(scratch_.PathOf("runs.txt")); }
    static size_t Count(const std::string& text, const std::string& word) {
        size_t count = 0;
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            ++count;
        }
        return count;
    }
    std::string ContainerScript(const char* message_kind = "Information") const {
        return e2e::Script(
            {"[InstallContainer]", "", "[Message]", "Three installers follow.", message_kind});
    }

    testing_support::Scratch scratch_;
    std::string package_;
    size_t jobs_before_ = 0;
};

}  // namespace

TEST_F(ContainerTest, RunsEachInstallerInTurnAndClosesByItself) {
    ASSERT_TRUE(e2e::BuildPackage(package_, {{"setup.dat", ContainerScript()},
                                             {"one.exe", Recorder()},
                                             {"notes.txt", "not an installer"},
                                             {"two.EXE", Recorder()},
                                             {"three.Exe", Recorder()}}));
    RunningProgram container("\"" + package_ + "\"");
    HWND box = container.WaitForMessageBox("Installer");
    ASSERT_NE(nullptr, box);
    ASSERT_EQ("Three installers follow.", e2e::MessageBoxText(box));
    Click(box, IDOK);
    HWND dialog = container.WaitForPage("Installer", IDC_CONTAINER_COUNTER);
    ASSERT_NE(nullptr, dialog);
    for (const char* counter :
         {"Running Install 1 of 3", "Running Install 2 of 3", "Running Install 3 of 3"}) {
        EXPECT_TRUE(e2e::WaitUntil([&] {
            return ControlText(dialog, IDC_CONTAINER_COUNTER) == counter;
        })) << counter;
    }
    ASSERT_TRUE(container.WaitForExit(20000));
    EXPECT_EQ(0u, container.ExitCode());
    std::string runs = Runs();
    EXPECT_EQ(3u, Count(runs, "exited"));
    // One at a time: every start is followed by its own end before the next.
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        size_t started = runs.find("command=", at);
        size_t ended = runs.find("exited", started);
        ASSERT_NE(std::string::npos, ended);
        EXPECT_EQ(std::string::npos, runs.substr(started + 1, ended - started).find("command="));
        at = ended;
    }
    EXPECT_EQ(jobs_before_, e2e::JobFolders().size());
}

TEST_F(ContainerTest, CancelStartsNoFurtherInstaller) {
    ASSERT_TRUE(e2e::BuildPackage(package_, {{"setup.dat", e2e::Script({"[InstallContainer]"})},
                                             {"one.exe", Recorder()},
                                             {"two.exe", Recorder()},
                                             {"three.exe", Recorder()}}));
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "3000");
    RunningProgram container("\"" + package_ + "\" <Silent>");
    HWND dialog = container.WaitForPage("Installer", IDC_CONTAINER_COUNTER);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return ControlText(dialog, IDC_CONTAINER_COUNTER) == "Running Install 2 of 3"; }));
    // The counter moves on before the second installer is unpacked and
    // started; a Cancel in between would start no second one at all.
    ASSERT_TRUE(e2e::WaitUntil([&] { return Count(Runs(), "command=") >= 2; }));
    Click(dialog, IDCANCEL);
    ASSERT_TRUE(container.WaitForExit(20000));
    EXPECT_EQ(1602u, container.ExitCode()) << "cancelled";
    // The second goes on to its end; the third never starts, though it
    // would start at once after the second if the container went on. With
    // the container gone, nothing is left that could start it.
    EXPECT_TRUE(e2e::WaitUntil([&] { return Count(Runs(), "exited") >= 2; }, 30000));
    std::string runs = Runs();
    EXPECT_EQ(2u, Count(runs, "exited"));
    EXPECT_EQ(2u, Count(runs, "command="));
}

// A failing installer does not stop the others, and its code is the
// container's: deployment tools see the failure.
TEST_F(ContainerTest, SilentShowsNoMessageAndPassesOnAFailure) {
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "0");
    SetEnvironmentVariableA("VORNAK_RECORD_EXIT_CODE", "1603");
    ASSERT_TRUE(e2e::BuildPackage(
        package_,
        {{"setup.dat", ContainerScript()}, {"one.exe", Recorder()}, {"two.exe", Recorder()}}));
    RunningProgram container("\"" + package_ + "\" <Silent>");
    ASSERT_TRUE(container.WaitForExit(20000));
    EXPECT_EQ(1603u, container.ExitCode());
    EXPECT_EQ(2u, Count(Runs(), "exited"));
    // Unattended, the embedded installers are too: nobody would answer them.
    EXPECT_EQ(2u, Count(Runs(), "<Silent>"));
}

TEST_F(ContainerTest, WithoutInstallersItShowsItsMessagesAndCloses) {
    ASSERT_TRUE(e2e::BuildPackage(
        package_, {{"setup.dat", ContainerScript("warning")}, {"readme.txt", "no installers"}}));
    RunningProgram container("\"" + package_ + "\"");
    HWND box = container.WaitForMessageBox("Installer");
    ASSERT_NE(nullptr, box);
    Click(box, IDOK);
    ASSERT_TRUE(container.WaitForExit(20000));
    EXPECT_EQ("", Runs());
}

TEST_F(ContainerTest, ANestedVornakInstallerInstallsThroughItsOwnWizard) {
    std::string inner = scratch_.PathOf("inner.exe");
    std::string folder = "C:\\VornakE2E\\Nested Product";
    ASSERT_TRUE(e2e::BuildPackage(
        inner, {{"setup.dat",
                 e2e::Script({"[Project Name]", "Nested Product", "[Install To]", folder.c_str(),
                              "[CopyFile]", "payload.txt", "<Destination>\\payload.txt"})},
                {"payload.txt", "nested payload"}}));
    ASSERT_TRUE(e2e::BuildPackage(package_, {{"setup.dat", e2e::Script({"[InstallContainer]"})},
                                             {"inner.exe", testing_support::ReadAll(inner)}}));
    RunningProgram container("\"" + package_ + "\"");
    // The nested installer is a process of its own.
    HWND page = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] {
        page = FindWindowA("#32770", "Nested Product Installation");
        return page != nullptr && GetDlgItem(page, IDC_LOCATION) != nullptr;
    }));
    Click(page, IDOK);
    HWND progress = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] {
        progress = FindWindowA("#32770", "Installing Nested Product");
        return progress != nullptr && ControlText(progress, IDCANCEL) == "Finish";
    }));
    Click(progress, IDCANCEL);
    ASSERT_TRUE(container.WaitForExit(20000));
    EXPECT_EQ("nested payload", testing_support::ReadAll(folder + "\\payload.txt"));
    e2e::RemoveTree(folder);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nested Product");
    DeleteFileA((e2e::SystemFolder() + "VornakUninstall-Nested Product.dat").c_str());
}
