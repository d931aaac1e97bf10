// Process-wide values.
#include "app/app_state.h"

namespace app {

char ProjectName[260];
char DestinationFolder[260];
volatile bool StopRequested = false;
volatile bool WorkerDone = false;
volatile bool RebootNeeded = false;
std::atomic<bool> InstallFailed{false};

}  // namespace app
