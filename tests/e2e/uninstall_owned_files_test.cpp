// Files that were in place before an install outlive its uninstall: a newer
// library the version rule kept, an older one the install replaced (in its
// new version), while what the project alone put there goes, also after a
// reinstall. A file in the system folder is counted under SharedDLLs once
// per project, and a record without a list of kept files is undone as
// records always were.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/e2e/uninstall_project.h"
#include "tests/support_lib/scratch.h"

using e2e::FileExists;
using testing_support::ReadAll;
using testing_support::WriteAll;

namespace {

const char kSharedCountsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The SharedDLLs count of path; -1 when it has none.
long SharedCount(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedCountsKey, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return -1;
    }
    DWORD type = 0;
    DWORD count = 0;
    DWORD size = sizeof count;
    LONG status =
        RegQueryValueExA(key, path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&count), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long>(count) : -1;
}

// Sets the count of path (count >= 0) or deletes it (count < 0).
void SetSharedCount(const std::string& path, long count) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSharedCountsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    DWORD number = static_cast<DWORD>(count);
    if (count < 0) {
        RegDeleteValueA(key, path.c_str());
    } else {
        RegSetValueExA(key, path.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof number);
    }
    RegCloseKey(key);
}

void UninstallQuietly(const e2e::InstalledProject& project) {
    e2e::RunningProgram uninstaller(project.UninstallCommand("QuietUninstallString"));
    ASSERT_TRUE(uninstaller.WaitForExit(30000));
}

class UninstallOwnedFiles : public ::testing::Test {
  protected:
    void TearDown() override {
        project_.CleanUp();
        DeleteFileA(system_file_.c_str());
        SetSharedCount(system_file_, -1);
    }
    std::string Target(const char* name) const { return project_.Folder() + "\\" + name; }
    void PlaceByHand(const char* name, const std::string& bytes) {
        CreateDirectoryA("C:\\VornakE2E", nullptr);
        CreateDirectoryA(project_.Folder().c_str(), nullptr);
        ASSERT_TRUE(WriteAll(Target(name), bytes));
    }

    e2e::InstalledProject project_{"Owned Files"};
    std::string system_file_ = e2e::SystemFolder() + "VornakE2E-owned.dll";
    std::string v150_ = ReadAll(e2e::FixturePath("app_v150.exe"));
    std::string v200_ = ReadAll(e2e::FixturePath("app_v200.exe"));
};

}  // namespace

TEST_F(UninstallOwnedFiles, FilesFoundInPlaceStayAndOwnFilesGoAfterAReinstall) {
    project_.Build(
        e2e::Script({"[CopyFile]", "old.exe", "<Destination>\\newer.exe", "", "[CopyFile]",
                     "new.exe", "<Destination>\\older.exe", "", "[CopyFile]", "own.txt",
                     "<Destination>\\own.txt", "", "[CopyFile]", "own.dll",
                     "<System>\\VornakE2E-owned.dll"}),
        {{"old.exe", v150_}, {"new.exe", v200_}, {"own.txt", "ours"}, {"own.dll", "shared"}});
    PlaceByHand("newer.exe", v200_);
    PlaceByHand("older.exe", v150_);

    project_.InstallSilently();
    // Compared as booleans: a failure would print the programs' bytes.
    EXPECT_TRUE(ReadAll(Target("newer.exe")) == v200_);
    EXPECT_TRUE(ReadAll(Target("older.exe")) == v200_);
    EXPECT_EQ(1, SharedCount(system_file_));
    // What the first install put there is the project's own on the second.
    project_.InstallSilently();
    EXPECT_EQ(1, SharedCount(system_file_)) << "a reinstall counts nothing twice";

    UninstallQuietly(project_);
    EXPECT_TRUE(ReadAll(Target("newer.exe")) == v200_) << "the newer library is left as it was";
    EXPECT_TRUE(ReadAll(Target("older.exe")) == v200_) << "the replaced one stays, updated";
    EXPECT_FALSE(FileExists(Target("own.txt")));
    EXPECT_FALSE(FileExists(system_file_));
    EXPECT_EQ(-1, SharedCount(system_file_));
    EXPECT_FALSE(FileExists(project_.RecordPath()));
    EXPECT_FALSE(FileExists(project_.KeptListPath()));
}

TEST_F(UninstallOwnedFiles, AnotherProductsCountKeepsASystemFile) {
    project_.Build(e2e::Script({"[CopyFile]", "own.dll", "<System>\\VornakE2E-owned.dll"}),
                   {{"own.dll", "shared"}});
    project_.InstallSilently();
    // Another product's installer installs the same file after us.
    SetSharedCount(system_file_, 2);
    UninstallQuietly(project_);
    EXPECT_EQ("shared", ReadAll(system_file_));
    EXPECT_EQ(1, SharedCount(system_file_));
}

TEST_F(UninstallOwnedFiles, ARecordWithoutAListIsUndoneAsBefore) {
    project_.Build(e2e::Script({"[CopyFile]", "new.exe", "<Destination>\\older.exe"}),
                   {{"new.exe", v200_}});
    PlaceByHand("older.exe", v150_);
    project_.InstallSilently();
    // As an installer from before the list would have left it.
    ASSERT_TRUE(DeleteFileA(project_.KeptListPath().c_str()));
    UninstallQuietly(project_);
    EXPECT_FALSE(FileExists(Target("older.exe")));
    EXPECT_FALSE(FileExists(project_.RecordPath()));
}
