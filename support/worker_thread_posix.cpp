// WorkerThread over posix threads, for the native build: the portable code
// that runs work on a second thread (the install's look-ahead) is tested and
// fuzzed there too.
#include <pthread.h>
#include <unistd.h>

#include <new>

#include "support/worker_thread.h"

namespace support {

WorkerThread::WorkerThread(Body body, void* argument) : body_(body), argument_(argument) {
    finished_event_ = new (std::nothrow) SyncEvent();
    stop_event_ = new (std::nothrow) SyncEvent();
    auto* thread = new (std::nothrow) pthread_t;
    if (thread != nullptr && pthread_create(
                                 thread, nullptr,
                                 [](void* self) -> void* {
                                     static_cast<WorkerThread*>(self)->RunOnThread();
                                     return nullptr;
                                 },
                                 this) == 0) {
        thread_handle_ = thread;
        return;
    }
    delete thread;
    if (finished_event_ != nullptr) {
        // Pollers must see a task that could not start as finished.
        finished_event_->Set();
    }
}

WorkerThread::~WorkerThread() {
    Stop(true);
    if (thread_handle_ != nullptr) {
        auto* thread = static_cast<pthread_t*>(thread_handle_);
        pthread_join(*thread, nullptr);
        delete thread;
    }
    delete finished_event_;
    delete stop_event_;
}

bool WorkerThread::IsFinished() const {
    return thread_handle_ == nullptr || (finished_event_ != nullptr && finished_event_->IsSet());
}

void WorkerThread::PauseBriefly() {
    usleep(25 * 1000);
}

}  // namespace support
