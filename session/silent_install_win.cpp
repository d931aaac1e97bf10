// The "<Silent>" marker of the process command line.
#include <windows.h>

#include <cstring>

#include "session/install_session.h"

namespace session {

bool IsSilentInstall() {
    return std::strstr(GetCommandLineA(), "<Silent>") != nullptr;
}

}  // namespace session
