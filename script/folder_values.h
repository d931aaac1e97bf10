// Where the system folders behind the placeholders come from: the operating
// system on Windows, empty stand-ins elsewhere.
#pragma once

namespace script {

// kLocalAppData is the user's own application data on this machine: an
// install for the current user alone keeps its programs and its record there.
enum class SystemFolder {
    kSystem,
    kWindows,
    kProgramFiles,
    kStartup,
    kStartPrograms,
    kDesktop,
    kLocalAppData,
};

// Writes the folder into value (260 bytes), without a trailing backslash as
// the system gives it; the empty text when it cannot be had.
void ReadSystemFolder(SystemFolder folder, char* value);

}  // namespace script
