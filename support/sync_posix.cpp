// SyncEvent and SyncMutex for the native build, where the portable core (the
// install script loop under test and fuzzing) takes the progress lock too.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

#include "support/sync.h"

namespace support {

namespace {
struct PosixEvent {
    std::mutex lock;
    std::condition_variable changed;
    bool set = false;
};
}  // namespace

SyncEvent::SyncEvent(const char* /*name*/, bool* already_exists) {
    handle_ = new (std::nothrow) PosixEvent;
    if (already_exists != nullptr) {
        *already_exists = false;
    }
}

void SyncEvent::Set() {
    if (handle_ != nullptr) {
        auto* event = static_cast<PosixEvent*>(handle_);
        std::lock_guard<std::mutex> guard(event->lock);
        event->set = true;
        event->changed.notify_all();
    }
}

void SyncEvent::Reset() {
    if (handle_ != nullptr) {
        auto* event = static_cast<PosixEvent*>(handle_);
        std::lock_guard<std::mutex> guard(event->lock);
        event->set = false;
    }
}

bool SyncEvent::Wait(uint32_t milliseconds) const {
    if (handle_ == nullptr) {
        return false;
    }
    auto* event = static_cast<PosixEvent*>(handle_);
    std::unique_lock<std::mutex> guard(event->lock);
    return event->changed.wait_for(guard, std::chrono::milliseconds(milliseconds),
                                   [event] { return event->set; });
}

bool SyncEvent::IsSet() const {
    if (handle_ == nullptr) {
        return false;
    }
    auto* event = static_cast<PosixEvent*>(handle_);
    std::lock_guard<std::mutex> guard(event->lock);
    return event->set;
}

bool SyncEvent::Close() {
    if (handle_ == nullptr) {
        return false;
    }
    delete static_cast<PosixEvent*>(handle_);
    handle_ = nullptr;
    return true;
}

SyncMutex::SyncMutex() {
    handle_ = new (std::nothrow) std::recursive_mutex;
}

SyncMutex::~SyncMutex() {
    delete static_cast<std::recursive_mutex*>(handle_);
}

void SyncMutex::Lock() {
    if (handle_ != nullptr) {
        static_cast<std::recursive_mutex*>(handle_)->lock();
    }
}

void SyncMutex::Unlock() {
    if (handle_ != nullptr) {
        static_cast<std::recursive_mutex*>(handle_)->unlock();
    }
}

}  // namespace support
