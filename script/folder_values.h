// Where the system folders behind the placeholders come from: the operating
// system on Windows, empty stand-ins elsewhere.
#pragma once

#include "support/text.h"
#include "support/win32_values.h"

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

// The user's local application data with below after it (260 bytes in all),
// where an install for the current user alone keeps what is its own; the
// empty text when it cannot be had or does not fit.
inline void ReadLocalAppDataFolder(const char* below, char* value) {
    ReadSystemFolder(SystemFolder::kLocalAppData, value);
    if (value[0] != '\0' && !support::AppendText(value, support::kMaxPath, below)) {
        value[0] = '\0';
    }
}

}  // namespace script
