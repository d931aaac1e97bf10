// The running program's own path, as a backslash path for the core.
#include <unistd.h>

#include "session/own_program_path.h"

namespace session {

void OwnProgramPath(char* path) {
    ssize_t length = readlink("/proc/self/exe", path, 259);
    if (length <= 0) {
        path[0] = '\0';
        return;
    }
    path[length] = '\0';
    for (ssize_t i = 0; i < length; ++i) {
        if (path[i] == '/') {
            path[i] = '\\';
        }
    }
}

}  // namespace session
