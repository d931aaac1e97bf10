// The shared progress record and its lock, both made during static
// initialisation so that they exist before the entry point runs; the
// mutex is closed at process exit by its destructor.
#include "support/progress_state.h"

#include "support/text.h"

namespace support {

ProgressRecord ProgressState;
SyncMutex ProgressLock;

int PercentDone(int file_number, int file_count) {
    if (file_count == 0) {
        return 0;
    }
    // In double rather than 64-bit integers, whose division a 32-bit program
    // calls a runtime helper for. Both factors are exact in a double, and a
    // quotient just short of a whole number stays short of it (the gap, at
    // least 1/file_count, is far above the rounding), so truncating gives
    // what integer division gives.
    return static_cast<int>(static_cast<double>(file_number) * 100 / file_count);
}

void ReportAction(const char* text) {
    ProgressGuard guard;
    CopyText(ProgressState.action_text, 261, text);
    ProgressState.changed = true;
}

}  // namespace support
