// Installs killed part-way, as a deployment tool that loses patience or a
// power cut would end them: every target is whole afterwards (absent, its
// old bytes or its new bytes), and once anything has landed the uninstall
// entry exists and removes it, except the files that were in place before
// the install: those stay, in whichever of their versions is there.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"

using e2e::RunningProgram;

namespace {

constexpr int kFiles = 12;
constexpr int kReplaced = 4;  // the first ones have an older copy in place

class InterruptedInstall : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string body;
        std::vector<e2e::PackageFile> files;
        for (int i = 0; i < kFiles; ++i) {
            std::string name = "part" + std::to_string(i) + ".bin";
            files.push_back({name, testing_support::SampleBytes(3 << 20, 100 + i)});
            body += e2e::Script(
                {"[CopyFile]", name.c_str(),
                 ("<Destination>\\" + std::string(i % 2 ? "lib\\" : "") + name).c_str(), ""});
            targets_.push_back(project_.Folder() + (i % 2 ? "\\lib\\" : "\\") + name);
            new_bytes_.push_back(files.back().content);
        }
        project_.Build(body, files);
    }

    // The state before each install: the older copies in place, nothing else.
    void PlaceOlderCopies() {
        project_.CleanUp();
        CreateDirectoryA("C:\\VornakE2E", nullptr);
        CreateDirectoryA(project_.Folder().c_str(), nullptr);
        CreateDirectoryA((project_.Folder() + "\\lib").c_str(), nullptr);
        for (int i = 0; i < kReplaced; ++i) {
            testing_support::WriteAll(targets_[i], OldBytes(i));
        }
    }
    static std::string OldBytes(int i) { return "older copy " + std::to_string(i); }

    // Checks every target; returns how many hold the new bytes.
    int ExpectEveryTargetWhole(const std::string& when) {
        int landed = 0;
        for (int i = 0; i < kFiles; ++i) {
            std::string bytes = testing_support::ReadAll(targets_[i]);
            bool absent = !e2e::FileExists(targets_[i]);
            bool old = i < kReplaced && bytes == OldBytes(i);
            bool whole_new = bytes == new_bytes_[i];
            EXPECT_TRUE(absent || old || whole_new)
                << when << ": " << targets_[i] << " holds " << bytes.size() << " bytes";
            landed += whole_new ? 1 : 0;
        }
        return landed;
    }

    void UninstallQuietly(const std::string& when) {
        std::string quiet = project_.UninstallCommand("QuietUninstallString");
        ASSERT_EQ('"', quiet[0]) << when << ": " << quiet;
        RunningProgram uninstaller(quiet);
        ASSERT_TRUE(uninstaller.WaitForExit(60000)) << when;
        for (int i = 0; i < kFiles; ++i) {
            std::string bytes = testing_support::ReadAll(targets_[i]);
            if (i < kReplaced) {
                EXPECT_TRUE(bytes == OldBytes(i) || bytes == new_bytes_[i])
                    << when << ": " << targets_[i] << " was there before and stays whole";
            } else {
                EXPECT_FALSE(e2e::FileExists(targets_[i])) << when << ": " << targets_[i];
            }
        }
        EXPECT_FALSE(e2e::FileExists(project_.RecordPath())) << when;
    }

    // Job folders the killed installers could not remove.
    void RemoveOrphanedJobFolders(const std::vector<std::string>& before) {
        for (const std::string& job : e2e::JobFolders()) {
            if (std::find(before.begin(), before.end(), job) == before.end()) {
                e2e::RemoveTree(e2e::TempFolderPath() + job);
            }
        }
    }

    e2e::InstalledProject project_{"Interrupted"};
    std::vector<std::string> targets_;
    std::vector<std::string> new_bytes_;
};

}  // namespace

TEST_F(InterruptedInstall, AKillLeavesWholeFilesAndAnEntryThatRemovesThem) {
    std::vector<std::string> jobs_before = e2e::JobFolders();
    // One whole run first: its length places the kills over the install.
    PlaceOlderCopies();
    auto start = std::chrono::steady_clock::now();
    {
        RunningProgram installer(project_.InstallCommand() + " <Silent>");
        ASSERT_TRUE(installer.WaitForExit(120000));
        EXPECT_EQ(0u, installer.ExitCode());
    }
    auto whole = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(kFiles, ExpectEveryTargetWhole("whole run"));
    UninstallQuietly("whole run");

    for (int percent : {10, 30, 50, 70, 90}) {
        std::string when = "killed at " + std::to_string(percent) + "%";
        PlaceOlderCopies();
        {
            RunningProgram installer(project_.InstallCommand() + " <Silent>");
            auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(whole * percent / 100);
            Sleep(static_cast<DWORD>(wait.count()));
            installer.Kill();
        }
        int landed = ExpectEveryTargetWhole(when);
        // A kill before the record leaves no entry, and nothing to uninstall;
        // a listed entry (one with a DisplayName) must hold a command that
        // uninstalls.
        bool entry = e2e::ReadRegistryText(HKEY_LOCAL_MACHINE, project_.UninstallKey(),
                                           "DisplayName") == project_.Name();
        if (landed > 0) {
            EXPECT_TRUE(entry) << when << ": " << landed << " files landed, no entry";
            EXPECT_TRUE(e2e::FileExists(project_.RecordPath())) << when;
        }
        if (entry) {
            UninstallQuietly(when);
        }
        RemoveOrphanedJobFolders(jobs_before);
    }
}
