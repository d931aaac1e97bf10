// The running program's own path, from the module table.
#include <windows.h>

#include "session/own_program_path.h"
#include "support/win32_values.h"

namespace session {

void OwnProgramPath(char* path) {
    DWORD length = GetModuleFileNameA(nullptr, path, support::kMaxPath);
    // A path that filled the buffer was cut: better no package than a wrong one.
    if (length == 0 || length >= support::kMaxPath) {
        path[0] = '\0';
    }
}

}  // namespace session
