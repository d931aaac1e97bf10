// WorkerThread: a thread that runs one body and signals when it is done.
//
// Long tasks (the install script, the uninstall, nested installers, the
// finish-page actions) run on one while the user-interface thread keeps a
// dialog alive and polls IsFinished or a global flag. Ending is cooperative:
// the thread is never terminated forcibly.
#pragma once

#include "support/sync.h"

namespace support {

class WorkerThread {
  public:
    using Body = void (*)(WorkerThread* worker);

    WorkerThread(Body body, void* argument);
    // Stops with wait, then closes the thread handle and both events. Must not
    // run on the worker thread itself.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    bool IsFinished() const;
    // Signals the stop event; with wait, polls IsFinished every 25 ms.
    void Stop(bool wait);
    void* Argument() const { return argument_; }
    SyncEvent* StopEvent() const { return stop_event_; }

    // Runs the body and signals the end; the platform's thread entry calls it
    // on the new thread.
    void RunOnThread();

  private:
    // About 25 ms, for polling an end that has no event to wait on.
    static void PauseBriefly();

    SyncEvent* stop_event_;
    void* thread_handle_ = nullptr;
    SyncEvent* finished_event_;
    Body body_;
    void* argument_;
};

}  // namespace support
