// The uninstall worker with its real effects: a record undone on disk and in
// the registry, a self-registering library unregistered, an uninstall
// program waited for, a file in use left for the restart, and App Paths keys
// removed for programs only.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "session/install_session.h"
#include "actions/registry_actions.h"
#include "support/text.h"
#include "tests/support_lib/destination_folder.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/lent_session.h"
#include "tests/windows/action_fixtures.h"
#include "tests/windows/registry_test_key.h"
#include "uninstall/uninstall_loop.h"
#include "actions/uninstall_worker.h"

using testing_support::CopyFixture;
using testing_support::FileExists;
using testing_support::FixturePath;
using testing_support::HeldFile;
using testing_support::ReadAll;
using testing_support::RegistryKeyExists;
using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

const char kProject[] = "Vornak Uninstall Worker Test";
const std::string kUninstallKey =
    std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kProject;
const std::string kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

bool FolderExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class UninstallWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        support::CopyText(session::Current().project_name, kProject);
        support::CopyText(session::Current().uninstall_record_path, Record().c_str());
        support::CopyText(session::Current().uninstall_bitmap_path,
                          scratch_.PathOf("VornakUninstall-Worker.bmp").c_str());
        WriteAll(session::Current().uninstall_bitmap_path, "BM");
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
        RegCloseKey(key);
        CreateDirectoryA(App().c_str(), nullptr);
        CreateDirectoryA((App() + "lib").c_str(), nullptr);
    }
    void TearDown() override {
        testing_support::DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    }
    std::string Record() const { return scratch_.PathOf("VornakUninstall-Worker.dat"); }
    std::string App() const { return scratch_.PathOf("App\\"); }
    void RunWorker() {
        testing_support::DestinationFolderSwap destination(App().c_str());
        actions::UninstallWorkerBody(nullptr);
        EXPECT_TRUE(session::Current().worker_done);
    }

    testing_support::LentSession session_;
    Scratch scratch_;
};

}  // namespace

TEST_F(UninstallWorkerTest, UndoesTheRecordOnDiskAndInTheRegistry) {
    std::string runs = scratch_.PathOf("runs.txt");
    SetEnvironmentVariableA("VORNAK_RECORD_FILE", runs.c_str());
    SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "300");
    ASSERT_TRUE(CopyFixture("command_recorder.exe", App() + "VornakUninstTool.exe"));
    ASSERT_TRUE(CopyFixture("self_register.dll", App() + "lib\\self_register.dll"));
    ASSERT_TRUE(WriteAll(App() + "Tool.lnk", "link"));
    actions::RegisterAppPath((App() + "VornakUninstTool.exe").c_str());
    ASSERT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPaths + "VornakUninstTool.exe"));
    ASSERT_TRUE(WriteAll(
        Record(), Lines({"[CopyFile]", "tool", "<Destination>\\VornakUninstTool.exe", "[CopyFile]",
                         "lib", "<Destination>\\lib\\self_register.dll", "[CreateIcon]", "x",
                         "<Destination>\\Tool.lnk", "", "", "[UninstallAction]",
                         "<Destination>\\VornakUninstTool.exe", "--forget <Destination>"})));
    RunWorker();

    // The program ran from the install folder and was waited for: it had
    // ended before its own file went, which therefore could go at once.
    std::string record = ReadAll(runs);
    EXPECT_EQ(
        0u, record.find("command=\"" + App() + "VornakUninstTool.exe\" --forget " + App() + "\r\n"))
        << record;
    EXPECT_EQ(record.size() - 8, record.find("exited\r\n")) << record;
    EXPECT_FALSE(session::Current().uninstall_restart_needed);
    EXPECT_FALSE(FileExists(App() + "VornakUninstTool.exe"));
    EXPECT_FALSE(FileExists(App() + "Tool.lnk"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPaths + "VornakUninstTool.exe"));
    // Unregistered while still there; its trace keeps the lib folder, and
    // with it the install folder, from being empty.
    EXPECT_FALSE(FileExists(App() + "lib\\self_register.dll"));
    EXPECT_EQ("x", ReadAll(App() + "lib\\self_register.dll.unregister"));
    EXPECT_TRUE(FolderExists(App() + "lib"));

    EXPECT_FALSE(FileExists(Record()));
    EXPECT_FALSE(FileExists(session::Current().uninstall_bitmap_path));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(UninstallWorkerTest, EmptiedFoldersGoUpToTheFirstThatIsNotEmpty) {
    ASSERT_TRUE(WriteAll(App() + "lib\\a.txt", "a"));
    ASSERT_TRUE(WriteAll(Record(), Lines({"[CopyFile]", "a", "<Destination>\\lib\\a.txt"})));
    RunWorker();
    EXPECT_FALSE(FolderExists(App() + "lib"));
    EXPECT_FALSE(FolderExists(App()));
    // The scratch folder still holds the banner's and others' files.
    EXPECT_TRUE(FolderExists(scratch_.Folder()));
}

TEST_F(UninstallWorkerTest, FileInUseIsLeftForTheRestart) {
    ASSERT_TRUE(CopyFixture("app_plain.exe", App() + "busy.exe"));
    ASSERT_TRUE(WriteAll(Record(), Lines({"[CopyFile]", "a", "<Destination>\\busy.exe"})));
    HeldFile held(App() + "busy.exe");
    ASSERT_TRUE(held.Holding());
    RunWorker();
    EXPECT_TRUE(session::Current().uninstall_restart_needed);
    EXPECT_TRUE(FileExists(App() + "busy.exe"));
}

TEST(UninstallRemovals, AppPathsKeysOfProgramsOnly) {
    const std::string program = "C:\\Nowhere\\VornakUninstKeyTest.EXE";
    const std::string library = "C:\\Nowhere\\VornakUninstKeyTest.dll";
    actions::RegisterAppPath(program.c_str());
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kAppPaths + "VornakUninstKeyTest.dll").c_str(), 0, nullptr,
                    0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);

    actions::RemoveAppPathsEntry(library.c_str());
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPaths + "VornakUninstKeyTest.dll"));
    actions::RemoveAppPathsEntry("C:\\Elsewhere\\vornakuninstkeytest.exe");
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kAppPaths + "VornakUninstKeyTest.EXE"));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kAppPaths + "VornakUninstKeyTest.dll").c_str());
}

TEST(UninstallRemovals, OnlyLibrariesAskingForItAreUnregistered) {
    Scratch scratch;
    std::string asking = scratch.PathOf("self_register.dll");
    ASSERT_TRUE(CopyFixture("self_register.dll", asking));
    actions::UnregisterSelfRegisteringFile(asking.c_str());
    EXPECT_EQ("x", ReadAll(asking + ".unregister"));
    EXPECT_FALSE(FileExists(asking + ".register"));

    // A program with a version resource but no request, and a missing file.
    std::string program = scratch.PathOf("app_v150.exe");
    ASSERT_TRUE(CopyFixture("app_v150.exe", program));
    actions::UnregisterSelfRegisteringFile(program.c_str());
    actions::UnregisterSelfRegisteringFile(scratch.PathOf("absent.dll").c_str());
}
