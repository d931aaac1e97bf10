// SyncEvent over a Win32 event, SyncMutex over a critical section.
#include <windows.h>

#include <new>

#include "support/sync.h"

namespace support {

SyncEvent::SyncEvent(const char* name, bool* already_exists) {
    handle_ = CreateEventA(nullptr, TRUE, FALSE, name);
    if (already_exists != nullptr) {
        *already_exists = GetLastError() == ERROR_ALREADY_EXISTS;
    }
}

void SyncEvent::Set() {
    if (handle_ != nullptr) {
        SetEvent(handle_);
    }
}

void SyncEvent::Reset() {
    if (handle_ != nullptr) {
        ResetEvent(handle_);
    }
}

bool SyncEvent::Wait(uint32_t milliseconds) const {
    return handle_ != nullptr && WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0;
}

bool SyncEvent::IsSet() const {
    return handle_ != nullptr && WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0;
}

bool SyncEvent::Close() {
    if (handle_ == nullptr) {
        return false;
    }
    bool closed = CloseHandle(handle_) != 0;
    handle_ = nullptr;
    return closed;
}

SyncMutex::SyncMutex() {
    auto* section = new (std::nothrow) CRITICAL_SECTION;
    if (section != nullptr) {
        InitializeCriticalSection(section);
    }
    handle_ = section;
}

SyncMutex::~SyncMutex() {
    if (handle_ != nullptr) {
        DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(handle_));
        delete static_cast<CRITICAL_SECTION*>(handle_);
    }
}

void SyncMutex::Lock() {
    if (handle_ != nullptr) {
        EnterCriticalSection(static_cast<CRITICAL_SECTION*>(handle_));
    }
}

void SyncMutex::Unlock() {
    if (handle_ != nullptr) {
        LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(handle_));
    }
}

}  // namespace support
