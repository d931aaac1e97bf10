// WorkerThread over _beginthreadex.
#include <process.h>
#include <windows.h>

#include <new>

#include "support/worker_thread.h"

namespace support {

namespace {

unsigned __stdcall ThreadEntry(void* self) {
    static_cast<WorkerThread*>(self)->RunOnThread();
    _endthreadex(0);
    return 0;
}

}  // namespace

WorkerThread::WorkerThread(Body body, void* argument) : body_(body), argument_(argument) {
    finished_event_ = new (std::nothrow) SyncEvent();
    stop_event_ = new (std::nothrow) SyncEvent();
    unsigned thread_id = 0;
    uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadEntry, this, 0, &thread_id);
    thread_handle_ = reinterpret_cast<void*>(handle);
    if (handle == 0 && finished_event_ != nullptr) {
        // Pollers must see a task that could not start as finished.
        finished_event_->Set();
    }
}

WorkerThread::~WorkerThread() {
    Stop(true);
    if (thread_handle_ != nullptr) {
        CloseHandle(thread_handle_);
    }
    if (finished_event_ != nullptr) {
        finished_event_->Close();
        delete finished_event_;
    }
    if (stop_event_ != nullptr) {
        stop_event_->Close();
        delete stop_event_;
    }
}

bool WorkerThread::IsFinished() const {
    if (finished_event_ != nullptr && finished_event_->Handle() != nullptr) {
        return finished_event_->IsSet();
    }
    // Without a finished event the thread handle tells: it is signalled once
    // the thread has ended, so Stop can never wait for ever on a missing
    // event. No thread at all means nothing ran and nothing will.
    return thread_handle_ == nullptr || WaitForSingleObject(thread_handle_, 0) == WAIT_OBJECT_0;
}

void WorkerThread::PauseBriefly() {
    Sleep(25);
}

}  // namespace support
