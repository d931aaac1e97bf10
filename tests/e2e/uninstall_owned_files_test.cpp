// Files that were in place before an install outlive its uninstall: a newer
// library the version rule kept, an older one the install replaced (in its
// new version), one a program of the install put there, while what the
// project alone put there goes, also after a reinstall. A file in the
// system folder is counted under SharedDLLs once per project, and lowered
// once, also by an uninstall killed and run again; an update whose record
// cannot be written leaves the earlier record whole. Per-user files are the
// installing user's, whoever uninstalls. A record without notes is undone
// as records always were.
#include <windows.h>
#include <shlobj.h>

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

// file_holder holding path, as a program that is still running holds it.
class HeldFile {
  public:
    explicit HeldFile(const std::string& path)
        : path_(path), holder_("\"" + e2e::FixturePath("file_holder.exe") + "\" \"" + path + "\"") {
        EXPECT_TRUE(e2e::WaitUntil([&] { return FileExists(path_ + ".held"); }));
    }
    ~HeldFile() {
        WriteAll(path_ + ".stop", "");
        EXPECT_TRUE(holder_.WaitForExit(20000));
    }

  private:
    std::string path_;
    e2e::RunningProgram holder_;
};

// Points this user's desktop and start-menu programs elsewhere, as another
// user's profile has them, for as long as it lives.
class OtherUsersFolders {
  public:
    explicit OtherUsersFolders(const std::string& profile) : profile_(profile) {
        CreateDirectoryA(profile.c_str(), nullptr);
        for (const char* name : kNames) {
            old_[Index(name)] = e2e::ReadRegistryText(HKEY_CURRENT_USER, kKey, name);
            CreateDirectoryA(Folder(name).c_str(), nullptr);
            Set(name, Folder(name));
        }
    }
    ~OtherUsersFolders() {
        for (const char* name : kNames) {
            Set(name, old_[Index(name)]);
        }
        e2e::RemoveTree(profile_);
    }
    std::string Folder(const char* name) const { return profile_ + "\\" + name; }

  private:
    static constexpr const char* kKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const char* kNames[2] = {"Desktop", "Programs"};
    static int Index(const char* name) { return name == kNames[0] ? 0 : 1; }
    static void Set(const char* name, const std::string& value) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegSetValueExA(key, name, 0, REG_EXPAND_SZ,
                           reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
            RegCloseKey(key);
        }
    }
    std::string profile_;
    std::string old_[2];
};

std::string DesktopFolder() {
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOPDIRECTORY, FALSE);
    return std::string(folder) + "\\";
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
    // As an installer from before the notes would have left it.
    std::string record = ReadAll(project_.RecordPath());
    size_t notes = record.find("\r\n\r\n\r\n\r\n\r\n[Install Notes]\r\n");
    ASSERT_NE(std::string::npos, notes);
    ASSERT_TRUE(WriteAll(project_.RecordPath(), record.substr(0, notes + 2)));
    UninstallQuietly(project_);
    EXPECT_FALSE(FileExists(Target("older.exe")));
    EXPECT_FALSE(FileExists(project_.RecordPath()));
}

TEST_F(UninstallOwnedFiles, AnUninstallKilledWhileItsProgramRunsLowersNoCountTwice) {
    std::string held = Target("held.txt");
    project_.Build(
        e2e::Script({"[CopyFile]", "own.dll", "<System>\\VornakE2E-owned.dll", "", "[CopyFile]",
                     "held.txt", "<Destination>\\held.txt", "", "[UninstallAction]",
                     e2e::FixturePath("file_holder.exe").c_str(), ("\"" + held + "\"").c_str()}),
        {{"own.dll", "shared"}, {"held.txt", "held"}});
    project_.InstallSilently();
    // Another product's installer installs the same file after us.
    SetSharedCount(system_file_, 2);
    {
        e2e::RunningProgram uninstaller(project_.UninstallCommand("QuietUninstallString"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return FileExists(held + ".held"); }));
        uninstaller.Kill();
    }
    ASSERT_TRUE(WriteAll(held + ".stop", ""));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !FileExists(held + ".held"); }));
    // Still listed, so the user runs it again.
    {
        e2e::RunningProgram uninstaller(project_.UninstallCommand("QuietUninstallString"));
        ASSERT_TRUE(e2e::WaitUntil([&] { return FileExists(held + ".held"); }));
        ASSERT_TRUE(WriteAll(held + ".stop", ""));
        ASSERT_TRUE(uninstaller.WaitForExit(30000));
    }
    EXPECT_EQ("shared", ReadAll(system_file_));
    EXPECT_EQ(1, SharedCount(system_file_));
    EXPECT_FALSE(FileExists(held));
    EXPECT_FALSE(FileExists(project_.RecordPath()));
}

TEST_F(UninstallOwnedFiles, AnUpdateWhoseRecordCannotBeWrittenLeavesTheEarlierOneWhole) {
    project_.Build(e2e::Script({"[CopyFile]", "mine.txt", "<Destination>\\mine.txt"}),
                   {{"mine.txt", "ours"}});
    PlaceByHand("mine.txt", "the user's");
    project_.InstallSilently();
    // The next version no longer installs that file, and another program
    // holds the record while it installs.
    project_.Build(e2e::Script({"[CopyFile]", "own.dll", "<System>\\VornakE2E-owned.dll"}),
                   {{"own.dll", "shared"}});
    {
        HeldFile record(project_.RecordPath());
        e2e::RunningProgram installer(project_.InstallCommand() + " <Silent>");
        ASSERT_TRUE(installer.WaitForExit(30000));
        EXPECT_EQ(1603u, installer.ExitCode());
    }
    EXPECT_EQ(-1, SharedCount(system_file_)) << "no count without a record that lowers it";
    UninstallQuietly(project_);
    EXPECT_EQ("ours", ReadAll(Target("mine.txt"))) << "found in place by the first version";
}

TEST_F(UninstallOwnedFiles, AFileAProgramOfTheInstallPutInPlaceStays) {
    // The recorder stands for a redistributable's installer: it writes the
    // file a later [CopyFile] names, after the record was written.
    std::string redistributed = Target("redist.log");
    CreateDirectoryA("C:\\VornakE2E", nullptr);
    CreateDirectoryA(project_.Folder().c_str(), nullptr);
    SetEnvironmentVariableA("VORNAK_RECORD_FILE", redistributed.c_str());
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "0");
    project_.Build(
        e2e::Script({"[CopyFile]", "own.txt", "<Destination>\\own.txt", "", "[RunAndWaitFile]",
                     e2e::FixturePath("command_recorder.exe").c_str(), "", "", "[CopyFile]",
                     "redist.log", "<Destination>\\redist.log"}),
        {{"own.txt", "ours"}, {"redist.log", "ours too"}});
    project_.InstallSilently();
    SetEnvironmentVariableA("VORNAK_RECORD_FILE", nullptr);
    UninstallQuietly(project_);
    EXPECT_TRUE(FileExists(redistributed));
    EXPECT_FALSE(FileExists(Target("own.txt")));
}

TEST_F(UninstallOwnedFiles, AnotherUsersDesktopAndStartMenuAreLeftAlone) {
    const std::string group = "VornakE2E Owned";
    project_.Build(e2e::Script({"[CopyFile]", "note.txt", "<DeskTop>\\VornakE2E note.txt", "",
                                "[CreateIcon]", "<DeskTop>\\VornakE2E note.txt",
                                ("<Start Programs>\\" + group + "\\Note.lnk").c_str(), "", ""}),
                   {{"note.txt", "the installer's"}});
    std::string installers_note = DesktopFolder() + "VornakE2E note.txt";
    std::string installers_group = e2e::StartProgramsFolder() + group;
    project_.InstallSilently();
    ASSERT_TRUE(FileExists(installers_note));
    ASSERT_TRUE(FileExists(installers_group + "\\Note.lnk"));
    {
        // Another administrator uninstalls; their own files have the same names.
        OtherUsersFolders other("C:\\VornakE2E\\Other User");
        ASSERT_EQ(other.Folder("Desktop") + "\\", DesktopFolder()) << "the shell asks the registry";
        std::string others_note = other.Folder("Desktop") + "\\VornakE2E note.txt";
        std::string others_group = other.Folder("Programs") + "\\" + group;
        ASSERT_TRUE(WriteAll(others_note, "theirs"));
        CreateDirectoryA(others_group.c_str(), nullptr);
        ASSERT_TRUE(WriteAll(others_group + "\\Note.lnk", "theirs"));
        UninstallQuietly(project_);
        EXPECT_EQ("theirs", ReadAll(others_note));
        EXPECT_EQ("theirs", ReadAll(others_group + "\\Note.lnk"));
    }
    EXPECT_FALSE(FileExists(installers_note));
    EXPECT_FALSE(e2e::FolderExists(installers_group));
    DeleteFileA(installers_note.c_str());
    e2e::RemoveTree(installers_group);
}
