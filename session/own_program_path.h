// The full path of the running program: the package install mode opens, and
// the uninstaller copies into the system folder.
#pragma once

namespace session {

// Writes the path into a kMaxPath-byte buffer.
void OwnProgramPath(char* path);

}  // namespace session
