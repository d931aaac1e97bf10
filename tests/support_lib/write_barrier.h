// Making writes to a file fail from a given offset on, so that tests can show
// that a write which fails half-way through an operation is reported.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

// While it lives, every write to the file at path that reaches offset or
// beyond fails. On Windows it holds a lock on those bytes through a handle of
// its own; on Linux, which has no such locks, it lowers the process's file
// size limit to offset, so a write to any file beyond it fails (the signal
// that would end the process is ignored meanwhile).
class WriteBarrier {
  public:
    WriteBarrier(const std::string& path, uint64_t offset);
    ~WriteBarrier();
    WriteBarrier(const WriteBarrier&) = delete;
    WriteBarrier& operator=(const WriteBarrier&) = delete;

    // Whether writes from the offset on do fail: the barrier could be put up
    // and the system enforces it.
    bool Active() const { return active_; }

  private:
    bool active_ = false;
    bool locked_ = false;  // Windows: the lock is held
    uint64_t offset_ = 0;
    void* handle_ = nullptr;       // Windows: the handle holding the lock
    uint64_t previous_limit_ = 0;  // Linux: the limit to restore
    void (*previous_signal_)(int) = nullptr;
};

}  // namespace testing_support
