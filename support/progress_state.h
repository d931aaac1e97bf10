// ProgressState: what a worker reports and its dialog shows, and ProgressLock,
// the one lock of the program, which guards it and nothing else.
//
// Writers (the install and uninstall workers) take the lock, write, set the
// changed flag and release; readers (the progress page, the uninstall
// dialog) take it, test and clear the flag, copy what they need and release.
// Nobody holds it across a message box or together with anything else.
#pragma once

#include <cstdint>

#include "support/sync.h"

namespace support {

struct ProgressRecord {
    char action_text[1001];  // the worker writes at most 260 characters
    int32_t file_number;
    int32_t file_count;
    bool changed;
};

extern ProgressRecord ProgressState;
extern SyncMutex ProgressLock;

// Holds ProgressLock for one scope.
class ProgressGuard {
  public:
    ProgressGuard() { ProgressLock.Lock(); }
    ~ProgressGuard() { ProgressLock.Unlock(); }
    ProgressGuard(const ProgressGuard&) = delete;
    ProgressGuard& operator=(const ProgressGuard&) = delete;
};

// Sets the action text (cut to 260 characters) and the changed flag, under
// the lock.
void ReportAction(const char* text);

// The bar position for file_number of file_count, truncated as integer
// division would: 0 while the count is 0.
int PercentDone(int file_number, int file_count);

}  // namespace support
