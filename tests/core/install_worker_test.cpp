// The install worker's loop, with every action replaced by a recording fake:
// file order, progress, optional items, the record before the first file,
// stop and abort, and the closing steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/install_session.h"
#include "script/install_loop.h"
#include "script/optional_items.h"
#include "support/file_system.h"
#include "support/progress_state.h"
#include "tests/support_lib/scratch.h"
#include "tests/support_lib/lent_session.h"

using testing_support::Scratch;
using testing_support::WriteAll;

namespace {

class RecordingActions : public script::InstallActions {
  public:
    std::vector<std::string> calls;
    std::vector<std::string> progress;  // action text and counter at each call
    int abort_on_copy = 0;              // 1-based; 0 never
    bool stop_on_launch = false;
    int copies = 0;
    std::string script_to_delete;  // tried when the closing steps run

    void InstallFile(const char* entry_name, char* target, bool* abort) override {
        Snapshot();
        calls.push_back(std::string("install ") + entry_name + " -> " + target);
        *abort = ++copies == abort_on_copy;
    }
    void RegisterAppPath(const char* target) override {
        calls.push_back(std::string("app path ") + target);
    }
    void WriteRegistryItem(script::RegistryItem* item) override {
        calls.push_back(std::string("registry ") + item->root + " " + item->key + " " + item->type +
                        " " + item->name + " " + item->data);
    }
    void CreateShortcut(const char* link, const char* target, const char* arguments) override {
        calls.push_back(std::string("shortcut ") + link + " -> " + target + " " + arguments);
    }
    void LaunchFile(const char* program, const char* arguments, bool wait) override {
        calls.push_back(std::string(wait ? "run and wait " : "run ") + program + " " + arguments);
        if (stop_on_launch) {
            session::Current().stop_requested = true;  // the user cancels while it runs
        }
    }
    void ShowMessage(char* text, const char* kind) override {
        calls.push_back(std::string("message ") + text + " " + kind);
    }
    void WriteUninstallRecord() override { calls.push_back("record"); }
    void RegisterQueuedDlls() override {
        Snapshot();
        calls.push_back("register dlls");
        if (!script_to_delete.empty()) {
            // Windows refuses to delete a file some handle still holds.
            calls.push_back(support::fs::DeleteFileAt(script_to_delete.c_str())
                                ? "script deleted"
                                : "script still open");
        }
    }

  private:
    void Snapshot() {
        support::ProgressGuard guard;
        progress.push_back(std::string(support::ProgressState.action_text) + " " +
                           std::to_string(support::ProgressState.file_number) + "/" +
                           std::to_string(support::ProgressState.file_count));
    }
};

std::string Script(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += std::string(line) + "\r\n";
    }
    return text;
}

class InstallWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override { script::ReleaseOptionalItems(); }
    void TearDown() override { script::ReleaseOptionalItems(); }
    void Run(const std::string& text, bool silent = false) {
        std::string path = scratch_.PathOf("setup.dat");
        WriteAll(path, text);
        script::RunInstallScript(path.c_str(), silent, actions_);
    }
    testing_support::LentSession session_;
    Scratch scratch_;
    RecordingActions actions_;
};

const std::string kSample = Script({
    "[Action]",
    "Installing Tool",
    "",
    "[CopyFile]",
    "tool.exe",
    "<Destination>\\tool.exe",
    "",
    "[Registry]",
    "HKCU",
    "Software\\Tool",
    "DWORD",
    "Runs",
    "3",
    "",
    "[CreateIcon]",
    "<Destination>\\tool.exe",
    "<Start Programs>\\Tool\\Tool.lnk",
    "-x",
    "",
    "",
    "[RunFile]",
    "<Destination>\\readme.txt",
    "",
    "Optional - Show read-me",
    "",
    "[CopyFile]",
    "b.dll",
    "<System>\\b.dll",
    "",
    "[RunAndWaitFile]",
    "<Destination>\\tool.exe",
    "--first",
    "",
    "",
    "[CreateIcon]",
    "<Destination>\\tool.exe",
    "<DeskTop>\\Tool.lnk",
    "",
    "Optional - Desktop icon",
    "[Message]",
    "Done.\\nThanks.",
    "Information",
    "[UninstallAction]",
    "<Destination>\\tool.exe",
    "--bye",
});

}  // namespace

TEST_F(InstallWorkerTest, CarriesOutSectionsInFileOrder) {
    Run(kSample);
    EXPECT_EQ((std::vector<std::string>{
                  "record",
                  "install tool.exe -> <Destination>\\tool.exe",
                  "app path <Destination>\\tool.exe",
                  "registry HKCU Software\\Tool DWORD Runs 3",
                  "shortcut <Start Programs>\\Tool\\Tool.lnk -> <Destination>\\tool.exe -x",
                  "install b.dll -> <System>\\b.dll",
                  "app path <System>\\b.dll",
                  "run and wait <Destination>\\tool.exe --first",
                  "message Done.\\nThanks. Information",
                  "record",
                  "register dlls",
              }),
              actions_.calls);
    EXPECT_TRUE(session::Current().worker_done);
    EXPECT_EQ((std::vector<std::string>{"Installing Tool 1/2", "Installing Tool 2/2",
                                        "Registering Dlls 2/2"}),
              actions_.progress);
}

TEST_F(InstallWorkerTest, SetsOptionalItemsAsideAsWritten) {
    Run(kSample);
    ASSERT_EQ(1, script::OptionalRuns.Count());
    auto* run = static_cast<script::OptionalRun*>(script::OptionalRuns.GetAt(0));
    EXPECT_STREQ("<Destination>\\readme.txt", run->program_path);
    EXPECT_EQ(0, run->wait);
    EXPECT_STREQ("Show read-me", run->caption);
    ASSERT_EQ(1, script::OptionalIcons.Count());
    auto* icon = static_cast<script::OptionalIcon*>(script::OptionalIcons.GetAt(0));
    EXPECT_STREQ("<DeskTop>\\Tool.lnk", icon->link_path);
    EXPECT_STREQ("<Destination>\\tool.exe", icon->target_path);
    EXPECT_STREQ("Desktop icon", icon->caption);
}

TEST_F(InstallWorkerTest, SilentSkipsMessagesOnly) {
    Run(kSample, true);
    EXPECT_EQ(10u, actions_.calls.size());
    for (const std::string& call : actions_.calls) {
        EXPECT_EQ(std::string::npos, call.find("message"));
    }
}

TEST_F(InstallWorkerTest, ScriptWithoutFilesGetsItsRecordOnceItHasRunWhole) {
    Run(Script({"[RunFile]", "a.exe", "", "", "[RunFile]", "b.exe", "", "Optional - B"}));
    EXPECT_EQ((std::vector<std::string>{"run a.exe ", "record", "register dlls"}), actions_.calls);
    EXPECT_FALSE(session::Current().install_failed);
}

TEST_F(InstallWorkerTest, AbortStopsTheScriptButNotTheClosingSteps) {
    actions_.abort_on_copy = 3;
    Run(Script({"[CopyFile]", "1", "t1", "[CopyFile]", "2", "t2", "[CopyFile]", "3", "t3",
                "[RunFile]", "x.exe", "", "Optional - X", "[CopyFile]", "4", "t4", "[CopyFile]",
                "5", "t5"}));
    EXPECT_EQ(
        (std::vector<std::string>{"record", "install 1 -> t1", "app path t1", "install 2 -> t2",
                                  "app path t2", "install 3 -> t3", "register dlls"}),
        actions_.calls);
    EXPECT_EQ(0, script::OptionalRuns.Count());
    EXPECT_FALSE(session::Current().stop_requested);
    EXPECT_TRUE(session::Current().install_failed);
    // The counter counts every [CopyFile] in the script, also those never run.
    EXPECT_EQ("Registering Dlls 3/5", actions_.progress.back());
}

TEST_F(InstallWorkerTest, StopTakesEffectAfterTheCurrentSection) {
    actions_.stop_on_launch = true;
    Run(Script({"[CopyFile]", "1", "t1", "[RunAndWaitFile]", "setup2.exe", "", "", "[CopyFile]",
                "2", "t2"}));
    EXPECT_EQ((std::vector<std::string>{"record", "install 1 -> t1", "app path t1",
                                        "run and wait setup2.exe ", "register dlls"}),
              actions_.calls);
    EXPECT_TRUE(session::Current().worker_done);
}

TEST_F(InstallWorkerTest, TheScriptIsClosedBeforeTheClosingSteps) {
    // Once the worker is done, the job folder that holds the script goes.
    actions_.script_to_delete = scratch_.PathOf("setup.dat");
    Run(Script({"[CopyFile]", "1", "t1"}));
    EXPECT_EQ("script deleted", actions_.calls.back());
    EXPECT_TRUE(session::Current().worker_done);
}

TEST_F(InstallWorkerTest, MissingScriptRunsOnlyTheClosingSteps) {
    script::RunInstallScript(scratch_.PathOf("absent.dat").c_str(), false, actions_);
    EXPECT_EQ((std::vector<std::string>{"register dlls"}), actions_.calls);
    EXPECT_TRUE(session::Current().worker_done);
}

TEST_F(InstallWorkerTest, LfOnlyScriptHasNoHeads) {
    Run("[CopyFile]\nx\ny\n[RunFile]\na.exe\n\n\n");
    EXPECT_EQ((std::vector<std::string>{"record", "register dlls"}), actions_.calls);
}
