// The process token's elevation, as Windows reports it.
#include "support/elevation.h"

#include <windows.h>

namespace support {

bool RunsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation = {};
    DWORD length = 0;
    // Systems without elevation do not know the class: the call fails there.
    bool elevated =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length) &&
        elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

}  // namespace support
