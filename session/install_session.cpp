// Process-wide values.
#include "session/install_session.h"

namespace session {

char ProjectName[260];
char DestinationFolder[260];
std::atomic<bool> StopRequested{false};
std::atomic<bool> WorkerDone{false};
std::atomic<bool> RebootNeeded{false};
std::atomic<bool> InstallFailed{false};

}  // namespace session
