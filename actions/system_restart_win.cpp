// The system restart: shutdown privilege, ExitWindowsEx, quit message.
#include "actions/system_restart.h"

namespace actions {

namespace {

// All access as the older systems define it; the larger mask of newer
// headers makes OpenProcess fail there.
constexpr DWORD kProcessAllAccess = 0x1F0FFF;

SystemExitFunction g_system_exit = &ExitWindowsEx;

void EnableShutdownPrivilege() {
    HANDLE process = OpenProcess(kProcessAllAccess, FALSE, GetCurrentProcessId());
    HANDLE token = nullptr;
    OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES, &token);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    // Closed because a refused restart leaves the program running.
    if (token != nullptr) {
        CloseHandle(token);
    }
    if (process != nullptr) {
        CloseHandle(process);
    }
}

}  // namespace

SystemExitFunction SetSystemExit(SystemExitFunction exit_function) {
    SystemExitFunction previous = g_system_exit;
    g_system_exit = exit_function != nullptr ? exit_function : &ExitWindowsEx;
    return previous;
}

bool RestartSystem(UINT flags) {
    // The privilege's result is not checked: where it cannot be had, the
    // request itself still goes to Windows, which then refuses it.
    EnableShutdownPrivilege();
    bool accepted = g_system_exit(flags, 0) != 0;
    PostQuitMessage(0);
    return accepted;
}

}  // namespace actions
