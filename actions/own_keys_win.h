// Where an install keeps the keys it makes for itself: its entry in the list
// of installed programs and the App Paths entries of its programs.
#pragma once

#include <windows.h>

#include "session/install_session.h"

namespace actions {

// HKEY_CURRENT_USER for an install for the current user alone, which
// Windows lists among that user's programs and starts that user's App
// Paths from; HKEY_LOCAL_MACHINE for an install for all users.
inline HKEY OwnKeysRoot(const session::InstallSession& run_session) {
    return run_session.per_user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

}  // namespace actions
