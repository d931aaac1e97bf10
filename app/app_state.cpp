// Process-wide values.
#include "app/app_state.h"

namespace app {

char ProjectName[260];
char DestinationFolder[260];
std::atomic<bool> StopRequested{false};
std::atomic<bool> WorkerDone{false};
std::atomic<bool> RebootNeeded{false};
std::atomic<bool> InstallFailed{false};

}  // namespace app
