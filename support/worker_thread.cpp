// WorkerThread's ending, the same on every platform: the body runs and the
// end is signalled; a stop signals the body and may wait for that end.
#include "support/worker_thread.h"

namespace support {

void WorkerThread::RunOnThread() {
    body_(this);
    if (finished_event_ != nullptr) {
        finished_event_->Set();
    }
}

void WorkerThread::Stop(bool wait) {
    if (stop_event_ != nullptr) {
        stop_event_->Set();
    }
    while (wait && !IsFinished()) {
        // Woken by the end itself; polled when there is no event to wait on.
        if (finished_event_ != nullptr && finished_event_->Handle() != nullptr) {
            finished_event_->Wait(25);
        } else {
            PauseBriefly();
        }
    }
}

}  // namespace support
