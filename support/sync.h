// SyncEvent and SyncMutex: thin wrappers of a Win32 event and critical
// section.
//
// Creation failures are not reported: the handle stays null and every
// operation becomes a no-op (IsSet gives false), so a missing event or mutex
// can never block anyone.
#pragma once

#include <cstdint>

namespace support {

// A manual-reset event, created unsignalled.
class SyncEvent {
  public:
    explicit SyncEvent(const char* name = nullptr, bool* already_exists = nullptr);
    ~SyncEvent() { Close(); }
    SyncEvent(const SyncEvent&) = delete;
    SyncEvent& operator=(const SyncEvent&) = delete;

    void Set();
    void Reset();
    // Never blocks: true exactly when the event is signalled.
    bool IsSet() const;
    // Waits until the event is signalled or milliseconds have passed; true
    // when it is signalled. Without an event it returns false at once.
    bool Wait(uint32_t milliseconds) const;
    // Returns the CloseHandle result, or false when there was nothing to close.
    bool Close();
    void* Handle() const { return handle_; }

  private:
    void* handle_;
};

// A lock between the threads of this process. On Windows a critical
// section: taking it free costs no call into the system, where a kernel
// mutex cost a round trip to the system (to Wine's server under Wine) on
// every lock and unlock: three times per installed file for the progress
// record alone. A thread may take it again while it holds it.
class SyncMutex {
  public:
    SyncMutex();
    ~SyncMutex();
    SyncMutex(const SyncMutex&) = delete;
    SyncMutex& operator=(const SyncMutex&) = delete;

    void Lock();
    void Unlock();
    bool IsCreated() const { return handle_ != nullptr; }

  private:
    void* handle_;
};

}  // namespace support
