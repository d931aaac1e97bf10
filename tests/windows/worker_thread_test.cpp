// Worker threads, events and the mutex, on real Win32 threads.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>

#include "support/progress_state.h"
#include "support/sync.h"
#include "support/worker_thread.h"

using support::SyncEvent;
using support::WorkerThread;

namespace {

void CountOnce(WorkerThread* worker) {
    static_cast<std::atomic<int>*>(worker->Argument())->fetch_add(1);
}

void WaitForStop(WorkerThread* worker) {
    while (!worker->StopEvent()->IsSet()) {
        Sleep(5);
    }
    static_cast<std::atomic<int>*>(worker->Argument())->store(42);
}

}  // namespace

TEST(WorkerThread, RunsItsBodyOnceAndReportsFinished) {
    std::atomic<int> runs{0};
    {
        WorkerThread worker(&CountOnce, &runs);
        for (int i = 0; i < 400 && !worker.IsFinished(); ++i) {
            Sleep(5);
        }
        EXPECT_TRUE(worker.IsFinished());
        EXPECT_TRUE(worker.IsFinished());  // manual reset: stays finished
        worker.Stop(true);                 // returns at once on a finished worker
    }
    EXPECT_EQ(1, runs.load());
}

TEST(WorkerThread, StopSignalsTheBodyAndWaits) {
    std::atomic<int> result{0};
    WorkerThread worker(&WaitForStop, &result);
    Sleep(20);
    EXPECT_FALSE(worker.IsFinished());
    worker.Stop(false);  // does not wait
    worker.Stop(true);
    EXPECT_TRUE(worker.IsFinished());
    EXPECT_EQ(42, result.load());
}

TEST(SyncEvent, ManualResetStaysSetAndClosesOnce) {
    SyncEvent event;
    EXPECT_FALSE(event.IsSet());
    event.Set();
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Close());
    EXPECT_FALSE(event.Close());
    EXPECT_FALSE(event.IsSet());
    event.Set();  // a no-op on a closed event
}

TEST(ProgressState, ActionTextIsCutAndFlagged) {
    support::ProgressState.changed = false;
    support::ReportAction(std::string(400, 'a').c_str());
    support::ProgressGuard guard;
    EXPECT_TRUE(support::ProgressState.changed);
    EXPECT_EQ(260u, std::string(support::ProgressState.action_text).size());
}
