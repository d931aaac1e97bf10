// The shared progress record and its lock, both made during static
// initialisation so that they exist before the entry point runs; the
// mutex is closed at process exit by its destructor.
#include "support/progress_state.h"

#include "support/text.h"

namespace support {

ProgressRecord ProgressState;
SyncMutex ProgressLock;

void ReportAction(const char* text) {
    ProgressGuard guard;
    CopyText(ProgressState.action_text, 261, text);
    ProgressState.changed = true;
}

}  // namespace support
