// The uninstall dialog's timer ticks: the question asked once, No removing
// nothing, the bar driven from the progress record, and the closing message
// shown once although the timer keeps firing while it is on screen.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "session/install_session.h"
#include "support/message_box.h"
#include "support/progress_state.h"
#include "support/win32_values.h"
#include "ui/uninstall_dialog.h"
#include "uninstall/uninstall_loop.h"
#include "tests/support_lib/lent_session.h"

namespace {

class RecordingView : public ui::UninstallDialogView {
  public:
    std::vector<std::string> calls;
    void StartWorker() override { calls.push_back("start"); }
    void SetBarPosition(int position) override {
        calls.push_back("bar " + std::to_string(position));
    }
    void Close() override { calls.push_back("close"); }
    bool RestartSystem() override {
        calls.push_back("restart");
        return restart_accepted;
    }
    bool restart_accepted = true;
};

// Answers the boxes and, like the modal loop of a real box, lets the timer
// tick while one is shown.
struct BoxScript {
    std::deque<int> replies;
    RecordingView* view = nullptr;
    bool silent = false;
    int ticks_inside = 0;
};
BoxScript* g_boxes = nullptr;

int AnswerBox(const char* text, const char* caption, unsigned flags) {
    BoxScript& boxes = *g_boxes;
    boxes.view->calls.push_back(std::string("box ") + caption + " " + std::to_string(flags) + ": " +
                                text);
    for (int i = 0; i < boxes.ticks_inside; ++i) {
        ui::OnUninstallTick(*boxes.view, "Demo", boxes.silent);
    }
    if (boxes.replies.empty()) {
        return support::kIdOk;
    }
    int reply = boxes.replies.front();
    boxes.replies.pop_front();
    return reply;
}

constexpr unsigned kQuestion = support::kMbYesNo | support::kMbIconQuestion;
const std::string kAsk = "box Uninstall " + std::to_string(kQuestion) + ": Uninstall Demo?";

class UninstallDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::UninstallStarted = false;
        SetProgress(0, 0, false);
        boxes_.view = &view_;
        g_boxes = &boxes_;
        support::SetMessagePresenter(&AnswerBox);
    }
    void TearDown() override {
        support::SetMessagePresenter(nullptr);
        g_boxes = nullptr;
    }
    static void SetProgress(int number, int count, bool changed) {
        support::ProgressGuard guard;
        support::ProgressState.file_number = number;
        support::ProgressState.file_count = count;
        support::ProgressState.changed = changed;
    }
    void Tick(bool silent = false) { ui::OnUninstallTick(view_, "Demo", silent); }

    testing_support::LentSession session_;
    RecordingView view_;
    BoxScript boxes_;
};

}  // namespace

TEST_F(UninstallDialogTest, AsksOnceThenFollowsTheWorkerToTheEnd) {
    boxes_.replies = {support::kIdYes};
    boxes_.ticks_inside = 2;
    Tick();
    EXPECT_EQ((std::vector<std::string>{kAsk, "start"}), view_.calls);

    view_.calls.clear();
    SetProgress(1, 3, true);
    Tick();
    Tick();  // nothing new
    SetProgress(4, 3, true);
    Tick();
    EXPECT_EQ((std::vector<std::string>{"bar 33", "bar 133"}), view_.calls);

    view_.calls.clear();
    session::Current().worker_done = true;
    Tick();
    EXPECT_EQ((std::vector<std::string>{
                  "bar 100", "box Uninstall 64: Demo has now been uninstalled.", "close"}),
              view_.calls);
    EXPECT_FALSE(session::Current().worker_done);
}

TEST_F(UninstallDialogTest, NoOrABoxThatFailsRemovesNothingAndSaysNothingMore) {
    // 0 is what a message box returns when it cannot be shown.
    for (int reply : {support::kIdNo, 0}) {
        ui::UninstallStarted = false;
        view_.calls.clear();
        boxes_.replies = {reply};
        boxes_.ticks_inside = 1;
        Tick();
        Tick();
        EXPECT_EQ((std::vector<std::string>{kAsk, "close"}), view_.calls) << reply;
        EXPECT_EQ(1602, ui::UninstallExitCode) << reply;
    }
}

TEST_F(UninstallDialogTest, RestartIsOfferedWhenFilesWereInUse) {
    boxes_.replies = {support::kIdYes, support::kIdYes};
    Tick();
    session::Current().uninstall_restart_needed = true;
    session::Current().worker_done = true;
    view_.calls.clear();
    Tick();
    EXPECT_EQ((std::vector<std::string>{
                  "bar 100",
                  "box Uninstall 36: Demo has now been uninstalled, however certain items can not "
                  "be removed until your computer is restarted. Restart Now?",
                  "restart", "close"}),
              view_.calls);
    EXPECT_EQ(0, ui::UninstallExitCode) << "restarted";
}

TEST_F(UninstallDialogTest, DecliningTheRestartEndsNormally) {
    boxes_.replies = {support::kIdYes, support::kIdNo};
    Tick();
    session::Current().uninstall_restart_needed = true;
    session::Current().worker_done = true;
    Tick();
    EXPECT_EQ("close", view_.calls.back());
    EXPECT_NE("restart", view_.calls[view_.calls.size() - 2]);
    EXPECT_EQ(3010, ui::UninstallExitCode);
}

TEST_F(UninstallDialogTest, SilentAsksNothingAndSaysNothing) {
    Tick(true);
    session::Current().worker_done = true;
    Tick(true);
    EXPECT_EQ((std::vector<std::string>{"start", "bar 100", "close"}), view_.calls);
    EXPECT_EQ(0, ui::UninstallExitCode);
}

TEST_F(UninstallDialogTest, SilentReportsARestartWithoutOfferingIt) {
    Tick(true);
    session::Current().uninstall_restart_needed = true;
    session::Current().worker_done = true;
    Tick(true);
    EXPECT_EQ((std::vector<std::string>{
                  "start", "bar 100",
                  "box Uninstall 64: Demo has now been uninstalled, however certain items can not "
                  "be removed until your computer is restarted.",
                  "close"}),
              view_.calls);
    EXPECT_EQ(3010, ui::UninstallExitCode);
}

TEST(PercentDone, PercentOfTheCopiedFilesAsIntegerDivisionGivesIt) {
    EXPECT_EQ(0, support::PercentDone(5, 0));
    EXPECT_EQ(66, support::PercentDone(2, 3));
    EXPECT_EQ(99, support::PercentDone(199, 200));
    EXPECT_EQ(-33, support::PercentDone(-1, 3));
    // No overflow on the way, and no quotient rounded up to the next whole.
    EXPECT_EQ(50, support::PercentDone(0x40000000, 0x7FFFFFFF));
    EXPECT_EQ(99, support::PercentDone(0x7FFFFFFE, 0x7FFFFFFF));
    EXPECT_EQ(100, support::PercentDone(0x7FFFFFFF, 0x7FFFFFFF));
}
