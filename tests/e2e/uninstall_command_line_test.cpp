// A record path too long for the path buffers starts nothing: cut to fit it
// would name another project's record, which must stay as it is. Nor does a
// record anywhere but in the system folder, where only installers write.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/win32_values.h"
#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"

using e2e::RunningProgram;

namespace {

class UninstallCommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        // The record the first 259 characters of the path name.
        std::string prefix = e2e::SystemFolder() + "VornakUninstall-E2E Cut ";
        name_ = "E2E Cut " + std::string(259 - prefix.size() - 4, 'n');
        record_ = e2e::SystemFolder() + "VornakUninstall-" + name_ + ".dat";
        ASSERT_EQ(259u, record_.size());
        ASSERT_TRUE(testing_support::WriteAll(record_, "[CopyFile]\r\nx\r\nC:\\x.txt\r\n"));
    }
    void TearDown() override { DeleteFileA(record_.c_str()); }
    std::string Command(const char* markers) const {
        // Longer than a path buffer holds, however its letters are spelt.
        return "\"" + e2e::StubPath() + "\" " + markers + record_ +
               std::string(support::kMaxPath, 'x');
    }
    // Carried out, the cut path would have deleted that record last of all.
    void ExpectUntouched() const { EXPECT_TRUE(e2e::FileExists(record_)); }

    std::string name_;
    std::string record_;
};

}  // namespace

TEST_F(UninstallCommandLine, TooLongRecordPathIsRefusedWithAMessage) {
    RunningProgram uninstaller(Command("<uninstall>"));
    HWND box = uninstaller.WaitForMessageBox("Uninstall");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("The uninstall record's path is too long. Nothing was removed.",
              e2e::MessageBoxText(box));
    e2e::Click(box, IDOK);
    ASSERT_TRUE(uninstaller.WaitForExit(20000));
    EXPECT_EQ(1639u, uninstaller.ExitCode());
    ExpectUntouched();
}

TEST_F(UninstallCommandLine, TooLongRecordPathIsRefusedQuietlyWhenSilent) {
    RunningProgram uninstaller(Command("<Silent><uninstall>"));
    ASSERT_TRUE(uninstaller.WaitForExit(20000));
    EXPECT_EQ(1639u, uninstaller.ExitCode());
    ExpectUntouched();
}

TEST(UninstallRecordPlace, ARecordOutsideTheSystemFolderIsRefused) {
    testing_support::Scratch scratch;
    std::string victim = scratch.PathOf("victim.txt");
    std::string record = scratch.PathOf("VornakUninstall-E2E Outside.dat");
    ASSERT_TRUE(testing_support::WriteAll(victim, "keep"));
    ASSERT_TRUE(testing_support::WriteAll(record, "[CopyFile]\r\nx\r\n" + victim + "\r\n"));
    for (const char* markers : {"<uninstall>", "<Silent><uninstall>"}) {
        // The box comes from the very run a user without administrator
        // rights started: refused before any elevation is asked for.
        std::string command = "\"" + e2e::StubPath() + "\" " + markers + record;
        auto started = markers[1] == 'u' ? std::make_unique<RunningProgram>(
                                               command, e2e::WithoutAdministratorRights{})
                                         : std::make_unique<RunningProgram>(command);
        RunningProgram& uninstaller = *started;
        if (markers[1] == 'u') {
            HWND box = uninstaller.WaitForMessageBox("Uninstall");
            ASSERT_NE(nullptr, box);
            EXPECT_EQ("The uninstall record is not in the system folder. Nothing was removed.",
                      e2e::MessageBoxText(box));
            e2e::Click(box, IDOK);
        }
        ASSERT_TRUE(uninstaller.WaitForExit(20000)) << markers;
        EXPECT_EQ(1639u, uninstaller.ExitCode()) << markers;
        EXPECT_TRUE(e2e::FileExists(victim)) << markers;
        EXPECT_TRUE(e2e::FileExists(record)) << markers;
    }
}
