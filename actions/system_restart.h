// Restarting Windows after an installation or uninstallation that left files
// to be replaced or deleted at the next start. Only Windows code includes
// this header.
#pragma once

#include <windows.h>

namespace actions {

// Enables the shutdown privilege where the system grants it, asks Windows to
// end with flags (EWX_REBOOT from every caller) and posts a quit message to
// the calling thread, which ends a modal dialog's loop there. Nothing is
// shown: where the request fails the caller simply carries on. Returns
// whether Windows accepted the request.
bool RestartSystem(UINT flags);

// The call that ends Windows, replaceable so that tests can check what would
// be asked without ending the test session. Returns the previous one;
// nullptr restores ExitWindowsEx.
using SystemExitFunction = BOOL(WINAPI*)(UINT flags, DWORD reason);
SystemExitFunction SetSystemExit(SystemExitFunction exit_function);

}  // namespace actions
