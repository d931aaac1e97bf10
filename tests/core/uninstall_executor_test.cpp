// The uninstall worker's reading of a record, with every effect on the
// system replaced by a recording fake: record order, actions before
// removals, shared files, files in use, progress, the closing deletions,
// and paths no installation can have made.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "session/install_session.h"
#include "script/folder_placeholders.h"
#include "support/progress_state.h"
#include "support/text.h"
#include "tests/support_lib/destination_folder.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/lent_session.h"
#include "uninstall/uninstall_loop.h"
#include "uninstall/shared_record_files.h"

using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

class RecordingEffects : public uninstall::UninstallActions {
  public:
    std::vector<std::string> calls;
    std::set<std::string> existing;
    std::set<std::string> locked;            // exist, but cannot be deleted
    std::map<std::string, uint32_t> counts;  // shared-file counts
    std::vector<std::string> progress;

    bool SamePath(const char* a, const char* b) override {
        return support::EqualsIgnoringCase(a, b);
    }
    void UnregisterSelfRegisteringFile(const char* path) override {
        calls.push_back(std::string("unregister ") + path);
    }
    void RunUninstallAction(const char* path, const char* parameters) override {
        calls.push_back(std::string("run ") + path + " | " + parameters);
    }
    bool PathExists(const char* path) override {
        return existing.count(path) != 0 || locked.count(path) != 0;
    }
    bool DeleteFileAt(const char* path) override {
        calls.push_back(std::string("delete ") + path);
        return existing.erase(path) != 0;
    }
    bool ScheduleDeleteAtRestart(const char* path) override {
        calls.push_back(std::string("at restart ") + path);
        return restart_recorded;
    }
    bool restart_recorded = true;
    uint32_t SharedCount(const char* path) override {
        auto found = counts.find(path);
        return found == counts.end() ? 0 : found->second;
    }
    void ReleaseSharedCount(const char* path) override {
        calls.push_back(std::string("release ") + path);
        if (counts[path] > 0) {
            --counts[path];
        }
    }
    void RemoveAppPathsEntry(const char* path) override {
        Snapshot();
        calls.push_back(std::string("app paths ") + path);
    }
    void RemoveFolder(const char* path) override { calls.push_back(std::string("rmdir ") + path); }
    void DeleteUninstallKey(const char* project_name) override {
        Snapshot();
        calls.push_back(std::string("key ") + project_name);
    }

  private:
    void Snapshot() {
        support::ProgressGuard guard;
        progress.push_back(std::to_string(support::ProgressState.file_number) + "/" +
                           std::to_string(support::ProgressState.file_count));
    }
};

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

class UninstallExecutorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        support::ProgressGuard guard;
        support::ProgressState.file_number = -1;
        support::ProgressState.file_count = -1;
    }
    std::string RecordPath(const char* project = "Demo") const {
        return scratch_.PathOf(std::string("VornakUninstall-") + project + ".dat");
    }
    std::string BitmapPath() const { return scratch_.PathOf("VornakUninstall-Demo.bmp"); }
    void WriteRecord(const std::string& text, const char* project = "Demo") {
        ASSERT_TRUE(WriteAll(RecordPath(project), text));
    }
    // The start menu's programs folder is C:\Menu, so that shortcuts have a
    // shell folder to be made in on every platform.
    void Run(const char* project = "Demo") {
        script::PlaceholderValues values;
        script::ReadPlaceholderValues(&values);
        int row = uninstall::PlaceholderRow("<Start Programs>");
        support::CopyText(values.text[row], "C:\\Menu");
        values.present[row] = true;
        uninstall::RunUninstallRecord(RecordPath().c_str(), BitmapPath().c_str(), project, values,
                                      effects_);
    }
    // The calls that follow the last removal: the record, its banner, the key.
    std::vector<std::string> Closing() const {
        return {"delete " + RecordPath(), "delete " + BitmapPath(), "key Demo"};
    }

    testing_support::LentSession session_;
    Scratch scratch_;
    testing_support::DestinationFolderSwap destination_{"C:\\Apps\\Demo\\"};
    RecordingEffects effects_;
};

}  // namespace

TEST_F(UninstallExecutorTest, UndoesARecordInOrderWithActionsBeforeAnyRemoval) {
    WriteRecord(Lines({"[Project Name]",
                       "Demo",
                       "",
                       "[Install To]",
                       "C:\\Apps\\Demo",
                       "",
                       "[CopyFile]",
                       "tool.exe",
                       "<Destination>\\tool.exe",
                       "",
                       "[CopyFile]",
                       "reg.dll",
                       "<Destination>\\bin\\reg.dll",
                       "",
                       "[Registry]",
                       "HKCU",
                       "Software\\Demo",
                       "STRING",
                       "Folder",
                       "<Destination>",
                       "",
                       "[CreateIcon]",
                       "<Destination>\\tool.exe",
                       "<Start Programs>\\Demo\\Demo.lnk",
                       "-x",
                       "",
                       "",
                       "[RunFile]",
                       "<Destination>\\tool.exe",
                       "",
                       "",
                       "",
                       "[UninstallAction]",
                       "<Destination>\\tool.exe",
                       "--forget <Destination>",
                       "",
                       "[CopyFile]",
                       "readme.txt",
                       "<Destination>\\readme.txt"}));
    effects_.existing = {"C:\\Apps\\Demo\\tool.exe", "C:\\Apps\\Demo\\bin\\reg.dll",
                         "C:\\Menu\\Demo\\Demo.lnk", "C:\\Apps\\Demo\\readme.txt"};
    Run();
    // Emptied folders go up to the install folder and the shortcut's group
    // folder, and no further: C:\Apps and C:\Menu were there before.
    std::vector<std::string> expected = {
        "unregister C:\\Apps\\Demo\\tool.exe",
        "unregister C:\\Apps\\Demo\\bin\\reg.dll",
        "run C:\\Apps\\Demo\\tool.exe | --forget C:\\Apps\\Demo\\",
        "unregister C:\\Apps\\Demo\\readme.txt",
        "delete C:\\Apps\\Demo\\tool.exe",
        "app paths C:\\Apps\\Demo\\tool.exe",
        "rmdir C:\\Apps\\Demo",
        "delete C:\\Apps\\Demo\\bin\\reg.dll",
        "app paths C:\\Apps\\Demo\\bin\\reg.dll",
        "rmdir C:\\Apps\\Demo\\bin",
        "rmdir C:\\Apps\\Demo",
        "delete C:\\Menu\\Demo\\Demo.lnk",
        "app paths C:\\Menu\\Demo\\Demo.lnk",
        "rmdir C:\\Menu\\Demo",
        "delete C:\\Apps\\Demo\\readme.txt",
        "app paths C:\\Apps\\Demo\\readme.txt",
        "rmdir C:\\Apps\\Demo",
    };
    for (const std::string& call : Closing()) {
        expected.push_back(call);
    }
    EXPECT_EQ(expected, effects_.calls);
    // The count is the [CopyFile] sections; the number counts every removal,
    // the shortcut too.
    EXPECT_EQ((std::vector<std::string>{"-1/-1", "1/3", "2/3", "3/3", "4/3"}), effects_.progress);
    EXPECT_TRUE(session::Current().worker_done);
    EXPECT_FALSE(session::Current().uninstall_restart_needed);
}

TEST_F(UninstallExecutorTest, FilesListedByAnotherProjectStay) {
    WriteRecord(Lines({"[CopyFile]", "a", "<Destination>\\own.txt", "[CopyFile]", "b",
                       "<Destination>\\common.txt", "[CopyFile]", "c", "C:\\Shared\\lib.dll",
                       "[CopyFile]", "d", "<Destination>\\readme.txt"}));
    // Installed into the same folder: its "<Destination>" is the folder its
    // record names. Paths compare without regard to case.
    WriteRecord(Lines({"[Install To]", "c:\\apps\\DEMO", "[CopyFile]", "x",
                       "<Destination>\\COMMON.txt", "[CopyFile]", "y", "c:\\shared\\LIB.DLL"}),
                "Other");
    // Installed elsewhere: its readme.txt is not ours.
    WriteRecord(
        Lines({"[Install To]", "D:\\Elsewhere\\", "[CopyFile]", "r", "<Destination>\\readme.txt"}),
        "Elsewhere");
    // Not a record, although it lists own.txt.
    ASSERT_TRUE(WriteAll(scratch_.PathOf("Other.dat"),
                         Lines({"[CopyFile]", "a", "C:\\Apps\\Demo\\own.txt"})));
    effects_.existing = {"C:\\Apps\\Demo\\own.txt", "C:\\Apps\\Demo\\common.txt",
                         "C:\\Shared\\lib.dll", "C:\\Apps\\Demo\\readme.txt"};
    Run();
    std::vector<std::string> removed;
    for (const std::string& call : effects_.calls) {
        if (call.compare(0, 7, "delete ") == 0) {
            removed.push_back(call.substr(7));
        }
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\Apps\\Demo\\own.txt", "C:\\Apps\\Demo\\readme.txt",
                                        RecordPath(), BitmapPath()}),
              removed);
    EXPECT_EQ("unregister C:\\Apps\\Demo\\own.txt", effects_.calls[0]);
    EXPECT_EQ("2/4", effects_.progress.back());
}

TEST_F(UninstallExecutorTest, FilesFoundInPlaceOrCountedElsewhereStayAndCountsGoDownOnce) {
    WriteRecord(Lines({"[CopyFile]",
                       "a",
                       "C:\\A\\own.txt",
                       "[CopyFile]",
                       "b",
                       "C:\\Sys\\kept.dll",
                       "[CopyFile]",
                       "c",
                       "C:\\Sys\\counted.dll",
                       "[UninstallAction]",
                       "C:\\A\\bye.exe",
                       "",
                       "[CopyFile]",
                       "d",
                       "C:\\Sys\\ours.dll",
                       "",
                       "",
                       "",
                       "",
                       "",
                       "[Install Notes]",
                       "Kept c:\\sys\\KEPT.dll",
                       "Counted C:\\Sys\\kept.dll",
                       "Counted C:\\Sys\\counted.dll",
                       "Counted C:\\Sys\\ours.dll"}));
    effects_.existing = {"C:\\A\\own.txt", "C:\\Sys\\kept.dll", "C:\\Sys\\counted.dll",
                         "C:\\Sys\\ours.dll"};
    effects_.counts = {
        {"C:\\Sys\\kept.dll", 1}, {"C:\\Sys\\counted.dll", 2}, {"C:\\Sys\\ours.dll", 1}};
    // The record stays where it is: the fake deletes nothing. So the run
    // after the first is an uninstall killed at its end and started again.
    for (int run = 0; run < 2; ++run) {
        effects_.calls.clear();
        Run();
        // Every count the project holds goes down, also for a file that stays
        // for other reasons, but only once every action has run, and once.
        std::vector<std::string> expected = {"unregister C:\\A\\own.txt", "run C:\\A\\bye.exe | ",
                                             "unregister C:\\Sys\\ours.dll"};
        if (run == 0) {
            expected.insert(expected.end(),
                            {"release C:\\Sys\\kept.dll", "release C:\\Sys\\counted.dll",
                             "release C:\\Sys\\ours.dll"});
        }
        expected.insert(expected.end(),
                        {"delete C:\\A\\own.txt", "app paths C:\\A\\own.txt",
                         "delete C:\\Sys\\ours.dll", "app paths C:\\Sys\\ours.dll"});
        std::vector<std::string> closing = Closing();
        expected.insert(expected.end(), closing.begin(), closing.end());
        EXPECT_EQ(expected, effects_.calls) << "run " << run;
        EXPECT_EQ(1u, effects_.counts["C:\\Sys\\counted.dll"]) << "run " << run;
        effects_.existing.insert("C:\\Sys\\ours.dll");
        effects_.existing.insert("C:\\A\\own.txt");
    }
}

TEST_F(UninstallExecutorTest, PerUserPathsAreThoseOfWhoeverInstalled) {
    // Bob uninstalls what Ann installed: his desktop is C:\Users\Bob\Desktop.
    WriteRecord(
        Lines({"[CopyFile]", "a", "<DeskTop>\\note.txt", "[CopyFile]", "b", "<Startup>\\start.exe",
               "[CreateIcon]", "C:\\A\\a.exe", "<Start Programs>\\Demo\\a.lnk", "", "", "", "", "",
               "", "[Install Notes]", "<DeskTop>C:\\Users\\Ann\\Desktop",
               "<Start Programs>C:\\Users\\Ann\\Programs"}));
    effects_.existing = {"C:\\Users\\Ann\\Desktop\\note.txt", "C:\\Users\\Bob\\Desktop\\note.txt",
                         "C:\\Users\\Ann\\Programs\\Demo\\a.lnk"};
    script::PlaceholderValues values;
    script::ReadPlaceholderValues(&values);
    for (const char* token : {"<DeskTop>", "<Startup>", "<Start Programs>"}) {
        int row = uninstall::PlaceholderRow(token);
        support::CopyText(values.text[row], "C:\\Users\\Bob\\Here");
        values.present[row] = true;
    }
    uninstall::RunUninstallRecord(RecordPath().c_str(), BitmapPath().c_str(), "Demo", values,
                                  effects_);
    // The startup folder was not noted: that path is left alone.
    std::vector<std::string> expected = {"unregister C:\\Users\\Ann\\Desktop\\note.txt",
                                         "delete C:\\Users\\Ann\\Desktop\\note.txt",
                                         "app paths C:\\Users\\Ann\\Desktop\\note.txt",
                                         "delete C:\\Users\\Ann\\Programs\\Demo\\a.lnk",
                                         "app paths C:\\Users\\Ann\\Programs\\Demo\\a.lnk",
                                         "rmdir C:\\Users\\Ann\\Programs\\Demo"};
    std::vector<std::string> closing = Closing();
    expected.insert(expected.end(), closing.begin(), closing.end());
    EXPECT_EQ(expected, effects_.calls);
}

TEST_F(UninstallExecutorTest, ARecordThatDoesNotSayWhereItWentIsReadWithOurFolder) {
    // When in doubt, a file stays.
    WriteRecord(Lines({"[CopyFile]", "a", "<Destination>\\readme.txt"}));
    WriteRecord(Lines({"[CopyFile]", "r", "<Destination>\\README.TXT"}), "Other");
    effects_.existing = {"C:\\Apps\\Demo\\readme.txt"};
    Run();
    EXPECT_EQ(Closing(), effects_.calls);
}

TEST_F(UninstallExecutorTest, WithoutOtherRecordsNothingIsShared) {
    // Our own record lists every file; it is not "another project".
    WriteRecord(Lines({"[CopyFile]", "a", "C:\\A\\one.txt"}));
    effects_.existing = {"C:\\A\\one.txt"};
    Run();
    EXPECT_EQ("delete C:\\A\\one.txt", effects_.calls[1]);
}

TEST_F(UninstallExecutorTest, FilesInUseAreLeftForTheRestart) {
    WriteRecord(Lines({"[CopyFile]", "a", "C:\\A\\busy.exe", "[CopyFile]", "b", "C:\\A\\gone.exe",
                       "[CopyFile]", "c", "C:\\A\\free.txt"}));
    effects_.locked = {"C:\\A\\busy.exe"};
    effects_.existing = {"C:\\A\\free.txt"};
    Run();
    std::vector<std::string> expected = {
        "unregister C:\\A\\busy.exe",
        "unregister C:\\A\\gone.exe",
        "unregister C:\\A\\free.txt",
        "delete C:\\A\\busy.exe",
        "at restart C:\\A\\busy.exe",
        "app paths C:\\A\\busy.exe",
        // A file that is not there is neither deleted nor scheduled, but its
        // App Paths key still goes. C:\A is not the install folder: it stays.
        "app paths C:\\A\\gone.exe",
        "delete C:\\A\\free.txt",
        "app paths C:\\A\\free.txt",
    };
    for (const std::string& call : Closing()) {
        expected.push_back(call);
    }
    EXPECT_EQ(expected, effects_.calls);
    EXPECT_TRUE(session::Current().uninstall_restart_needed);
    EXPECT_FALSE(session::Current().uninstall_incomplete);
}

// A deletion the system would not record offers no restart for it: the
// uninstall is incomplete, and says so in its exit code.
TEST_F(UninstallExecutorTest, AnUnrecordedDeletionOffersNoRestart) {
    WriteRecord(Lines({"[CopyFile]", "a", "C:\\A\\busy.exe"}));
    effects_.locked = {"C:\\A\\busy.exe"};
    effects_.restart_recorded = false;
    Run();
    EXPECT_FALSE(session::Current().uninstall_restart_needed);
    EXPECT_TRUE(session::Current().uninstall_incomplete);
}

TEST_F(UninstallExecutorTest, MissingRecordStillRemovesRecordFilesAndKey) {
    Run();
    EXPECT_EQ(Closing(), effects_.calls);
    EXPECT_TRUE(session::Current().worker_done);
}

TEST_F(UninstallExecutorTest, EmptyProjectNameKeepsTheUninstallKey) {
    Run("");
    EXPECT_EQ((std::vector<std::string>{"delete " + RecordPath(), "delete " + BitmapPath()}),
              effects_.calls);
    EXPECT_TRUE(session::Current().worker_done);
}

TEST_F(UninstallExecutorTest, WithoutCopyFileSectionsTheCountStaysZero) {
    WriteRecord(Lines({"[CreateIcon]", "x", "C:\\Menu\\A.lnk", "", "Optional - A shortcut"}));
    effects_.existing = {"C:\\Menu\\A.lnk"};
    Run();
    EXPECT_EQ("1/0", effects_.progress.back());
}

TEST_F(UninstallExecutorTest, HeadsAreMatchedExactly) {
    WriteRecord(Lines({"[copyfile]", "a", "C:\\A\\one.txt", "[CopyFile] ", "b", "C:\\A\\two.txt",
                       "[UninstallAction]", "C:\\A\\doc.txt", ""}));
    Run();
    std::vector<std::string> expected = {"run C:\\A\\doc.txt | "};
    for (const std::string& call : Closing()) {
        expected.push_back(call);
    }
    EXPECT_EQ(expected, effects_.calls);
}

TEST_F(UninstallExecutorTest, PathsNoInstallationCanHaveMadeAreNotActedOn) {
    // An expansion that does not fit a path buffer: cut short, it would name
    // some other file. (A record's line always fits: its limit is shorter.)
    testing_support::DestinationFolderSwap long_destination{
        ("C:\\" + std::string(support::kMaxPath - 200, 'd') + "\\").c_str()};
    std::string long_tail = "<Destination>\\" + std::string(240, 'y') + ".exe";
    WriteRecord(Lines({"[CopyFile]", "b", long_tail, "[CreateIcon]", "t", long_tail, "", ""}));
    Run();
    EXPECT_EQ(Closing(), effects_.calls);
}

TEST_F(UninstallExecutorTest, WithoutAFolderInTheRegistryTheRecordSaysWhereFilesWent) {
    for (const char* registry_folder : {"", "Apps\\Demo\\"}) {
        testing_support::DestinationFolderSwap destination(registry_folder);
        effects_.calls.clear();
        WriteRecord(Lines(
            {"[Install To]", "C:\\Apps\\Demo", "[CopyFile]", "x", "<Destination>\\bin\\x.dll"}));
        Run();
        std::vector<std::string> expected = {"unregister C:\\Apps\\Demo\\bin\\x.dll",
                                             "app paths C:\\Apps\\Demo\\bin\\x.dll",
                                             "rmdir C:\\Apps\\Demo\\bin", "rmdir C:\\Apps\\Demo"};
        for (const std::string& call : Closing()) {
            expected.push_back(call);
        }
        EXPECT_EQ(expected, effects_.calls) << "registry folder: " << registry_folder;
    }
}

TEST_F(UninstallExecutorTest, OnlyAbsolutePathsAreActedOn) {
    // No install folder anywhere (none in the registry, a relative or a
    // drive-relative one in the record): nothing that depends on it is
    // unregistered, deleted, run or made a folder removal, and neither is a
    // path that the current drive or folder would complete.
    for (const char* recorded : {"", "Apps\\Demo", "\\Apps\\Demo"}) {
        testing_support::DestinationFolderSwap destination("");
        effects_.calls.clear();
        WriteRecord(Lines({"[Install To]",
                           recorded,
                           "[CopyFile]",
                           "a",
                           "<Destination>\\bin\\x.dll",
                           "[CopyFile]",
                           "b",
                           "bin\\y.dll",
                           "[CopyFile]",
                           "c",
                           "\\z.dll",
                           "[CopyFile]",
                           "d",
                           "C:z.dll",
                           "[CopyFile]",
                           "e",
                           "\\\\.\\C:\\dev.dll",
                           "[CopyFile]",
                           "f",
                           "C:\\Shared\\kept.dll",
                           "[CreateIcon]",
                           "t",
                           "<Destination>\\x.lnk",
                           "",
                           "[UninstallAction]",
                           "<Destination>\\undo.exe",
                           "",
                           "[UninstallAction]",
                           "C:\\u.exe",
                           "<Destination>"}));
        effects_.existing = {"C:\\Shared\\kept.dll"};
        Run();
        // The one absolute path; outside the install folder, it removes no folder.
        std::vector<std::string> expected = {"unregister C:\\Shared\\kept.dll",
                                             "delete C:\\Shared\\kept.dll",
                                             "app paths C:\\Shared\\kept.dll"};
        for (const std::string& call : Closing()) {
            expected.push_back(call);
        }
        EXPECT_EQ(expected, effects_.calls) << "recorded folder: " << recorded;
    }
}

TEST(RemoveEmptyFolders, ClimbsNoHigherThanTheTopFolder) {
    RecordingEffects effects;
    uninstall::RemoveEmptyFolders("C:\\Program Files\\App\\Images", "C:\\Program Files\\App\\",
                                  effects);
    EXPECT_EQ((std::vector<std::string>{"rmdir C:\\Program Files\\App\\Images",
                                        "rmdir C:\\Program Files\\App"}),
              effects.calls);
    effects.calls.clear();
    // A top that is a drive root still never has the root tried.
    uninstall::RemoveEmptyFolders("C:\\A", "C:\\", effects);
    EXPECT_EQ((std::vector<std::string>{"rmdir C:\\A"}), effects.calls);
    effects.calls.clear();
    uninstall::RemoveEmptyFolders("C:\\Other\\X", "C:\\Program Files\\App", effects);
    uninstall::RemoveEmptyFolders("C:\\Program Files", "C:\\Program Files\\App", effects);
    uninstall::RemoveEmptyFolders("C:\\Apps\\X", "", effects);
    EXPECT_TRUE(effects.calls.empty());
}
