// Replacement and deletion at the next restart: the delayed moves an NT-family
// system records and carries out when it restarts (Wine restarts with
// "wineboot -r"), and the WININIT.INI lines of the older consumer family,
// reached through the platform query.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "actions/file_install.h"
#include "actions/restart_file_ops.h"
#include "tests/support_lib/message_capture.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/lent_session.h"
#include "tests/windows/action_fixtures.h"

using testing_support::CopyFixture;
using testing_support::CountPartialFiles;
using testing_support::CurrentTestJob;
using testing_support::FileExists;
using testing_support::FixturePath;
using testing_support::HeldFile;
using testing_support::Install;
using testing_support::MessageCapture;
using testing_support::ReadAll;
using testing_support::RunningUnderWine;
using testing_support::Scratch;
using testing_support::StartAndMaybeWait;
using testing_support::WriteAll;

namespace {

// The restart-time renames as the system recorded them: pairs of source and
// destination, in NT form ("\??\C:\..."); an empty destination deletes.
std::vector<std::string> PendingRenames() {
    std::vector<std::string> items;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return items;
    }
    DWORD size = 0;
    RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size);
    std::string data(size, '\0');
    if (size > 0 && RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&data[0]), &size) == ERROR_SUCCESS) {
        for (size_t at = 0; at + 1 < data.size();) {
            std::string item = data.c_str() + at;
            items.push_back(item);
            at += item.size() + 1;
        }
    }
    RegCloseKey(key);
    // An odd count would mean a damaged value; keep whole pairs only.
    items.resize(items.size() & ~size_t{1});
    return items;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string NtPath(const std::string& path) {
    return "\\??\\" + path;
}

// Index of the first pair with this destination at or after from; -1 if none.
int FindPairTo(const std::vector<std::string>& pairs, const std::string& destination,
               size_t from = 0) {
    for (size_t i = from; i + 1 < pairs.size(); i += 2) {
        if (SamePath(pairs[i + 1], destination)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindPairFrom(const std::vector<std::string>& pairs, const std::string& source) {
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (SamePath(pairs[i], source)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// What Windows does at the next start, as Wine does it on a running prefix.
void RestartWine() {
    HANDLE process = nullptr;
    ASSERT_TRUE(StartAndMaybeWait("wineboot.exe -r", &process, true));
    CloseHandle(process);
}

TEST(RestartFileOps, TargetInUseIsReplacedAtTheNextRestart) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "needs a restart, which only Wine can do in a test";
    }
    Scratch scratch;
    MessageCapture capture;
    testing_support::LentSession session;
    CurrentTestJob job({FixturePath("app_v200.exe")});
    std::string target = scratch.PathOf("app.exe");
    ASSERT_TRUE(CopyFixture("app_v150.exe", target));
    std::string temporary;
    {
        HeldFile held(target);
        ASSERT_TRUE(held.Holding());
        EXPECT_FALSE(Install("app_v200.exe", target).abort);
        EXPECT_TRUE(capture.Messages().empty());
        EXPECT_TRUE(session::Current().reboot_needed);
        EXPECT_EQ(ReadAll(FixturePath("app_v150.exe")), ReadAll(target));

        // One move that replaces ("!" before the destination), from a new
        // file in the target's own folder: the same volume, and the
        // folder's permissions. No deletion of the target of its own.
        std::vector<std::string> pending = PendingRenames();
        EXPECT_LT(FindPairFrom(pending, NtPath(target)), 0);
        int move = FindPairTo(pending, "!" + NtPath(target));
        ASSERT_GE(move, 0);
        temporary = pending[move].substr(4);
        EXPECT_TRUE(SamePath(scratch.PathOf(support::kPartialFilePrefix),
                             temporary.substr(0, temporary.rfind('\\') + 8)))
            << temporary;
        EXPECT_TRUE(FileExists(temporary)) << temporary;
        EXPECT_EQ(1, CountPartialFiles(scratch.Folder()));
    }
    RestartWine();
    EXPECT_EQ(ReadAll(FixturePath("app_v200.exe")), ReadAll(target));
    EXPECT_FALSE(FileExists(temporary));
}

TEST(RestartFileOps, DeletionIsCarriedOutAtTheNextRestart) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "needs a restart, which only Wine can do in a test";
    }
    Scratch scratch;
    std::string doomed = scratch.PathOf("in use.dll");
    WriteAll(doomed, "bytes");
    actions::ScheduleDeleteAtRestart(doomed.c_str());
    std::vector<std::string> pending = PendingRenames();
    int deletion = FindPairFrom(pending, NtPath(doomed));
    ASSERT_GE(deletion, 0);
    EXPECT_EQ("", pending[deletion + 1]);
    EXPECT_TRUE(FileExists(doomed));
    RestartWine();
    EXPECT_FALSE(FileExists(doomed));
}

bool ConsumerFamily() {
    return false;
}

// Pretends to be a system of the older consumer family, and leaves
// WININIT.INI as it found it.
class ConsumerPlatform : public ::testing::Test {
  protected:
    ConsumerPlatform() {
        previous_ = actions::SetPlatformQuery(&ConsumerFamily);
        char ini[support::kMaxPath];
        actions::WininitPath(ini);
        ini_ = ini;
        existed_ = FileExists(ini_);
        saved_ = ReadAll(ini_);
    }
    ~ConsumerPlatform() override {
        actions::SetPlatformQuery(previous_);
        if (existed_) {
            WriteAll(ini_, saved_);
        } else {
            DeleteFileA(ini_.c_str());
        }
    }

    testing_support::LentSession session_;
    actions::PlatformQuery previous_;
    std::string ini_;
    bool existed_;
    std::string saved_;
};

TEST_F(ConsumerPlatform, ReplacementIsWrittenToWininitRenameSection) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_TRUE(SamePath(std::string(windows) + "\\WININIT.INI", ini_)) << ini_;
    EXPECT_FALSE(actions::IsNtPlatform());

    const char target[] = "C:\\Vornak Test\\app.exe";
    EXPECT_TRUE(actions::ReplaceAtRestart("C:\\Temp\\Ins1.tmp", target));
    EXPECT_TRUE(session::Current().reboot_needed);
    EXPECT_NE(std::string::npos,
              ReadAll(ini_).find("[rename]\r\n" + std::string(target) + "=C:\\Temp\\Ins1.tmp\r\n"))
        << ReadAll(ini_);
    EXPECT_LT(FindPairFrom(PendingRenames(), NtPath(target)), 0);
}

TEST_F(ConsumerPlatform, EveryDeletionKeepsItsOwnLine) {
    EXPECT_TRUE(
        actions::ScheduleReplaceAtRestart("C:\\Temp\\Ins2.tmp", "C:\\Vornak Test\\app.exe"));
    EXPECT_TRUE(actions::ScheduleDeleteAtRestart("C:\\Vornak Test\\one.dll"));
    EXPECT_TRUE(actions::ScheduleDeleteAtRestart("C:\\Vornak Test\\two.dll"));
    EXPECT_NE(std::string::npos,
              ReadAll(ini_).find("[rename]\r\n"
                                 "C:\\Vornak Test\\app.exe=C:\\Temp\\Ins2.tmp\r\n"
                                 "NUL=C:\\Vornak Test\\one.dll\r\n"
                                 "NUL=C:\\Vornak Test\\two.dll\r\n"))
        << ReadAll(ini_);
    EXPECT_LT(FindPairFrom(PendingRenames(), NtPath("C:\\Vornak Test\\one.dll")), 0);
}

TEST(RestartFileOps, PlatformQueryCanBeRestored) {
    actions::PlatformQuery previous = actions::SetPlatformQuery(&ConsumerFamily);
    EXPECT_FALSE(actions::IsNtPlatform());
    EXPECT_EQ(&ConsumerFamily, actions::SetPlatformQuery(previous));
    // Wine and every Windows that runs these tests are of the NT family.
    EXPECT_TRUE(actions::IsNtPlatform());
}

}  // namespace
