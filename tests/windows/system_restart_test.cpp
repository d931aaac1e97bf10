// The system restart through its replaceable exit call: what would be asked
// of Windows, with which privilege, and where the quit message goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "actions/system_restart.h"

namespace {

struct ExitRequest {
    int calls = 0;
    UINT flags = 0;
    bool privilege_enabled = false;
};

ExitRequest g_request;
BOOL g_exit_result = FALSE;

// The shutdown privilege of this process's token: -1 when the token lacks
// it, else 1 when enabled and 0 when not.
int ShutdownPrivilegeState() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return -1;
    }
    LUID shutdown = {};
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown);
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    int state = -1;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
            if (entry.Luid.LowPart == shutdown.LowPart &&
                entry.Luid.HighPart == shutdown.HighPart) {
                state = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0 ? 1 : 0;
            }
        }
    }
    CloseHandle(token);
    return state;
}

void DisableShutdownPrivilege() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    CloseHandle(token);
}

BOOL WINAPI RecordExit(UINT flags, DWORD /*reason*/) {
    ++g_request.calls;
    g_request.flags = flags;
    g_request.privilege_enabled = ShutdownPrivilegeState() == 1;
    return g_exit_result;
}

// Runs RestartSystem on a thread of its own and reports whether that
// thread's queue then held a quit message with exit code 0.
bool RestartOnOwnThread(UINT flags) {
    bool quit_posted = false;
    std::thread caller([&quit_posted, flags] {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // give the thread a queue
        actions::RestartSystem(flags);
        quit_posted = PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0 &&
                      message.wParam == 0;
    });
    caller.join();
    return quit_posted;
}

class SystemRestartTest : public testing::Test {
  protected:
    void SetUp() override {
        g_request = ExitRequest();
        g_exit_result = FALSE;
        previous_ = actions::SetSystemExit(RecordExit);
    }
    void TearDown() override { actions::SetSystemExit(previous_); }

    actions::SystemExitFunction previous_ = nullptr;
};

}  // namespace

TEST_F(SystemRestartTest, AsksForTheRestartWithTheShutdownPrivilegeEnabled) {
    bool holds_privilege = ShutdownPrivilegeState() >= 0;
    DisableShutdownPrivilege();
    EXPECT_TRUE(RestartOnOwnThread(EWX_REBOOT));
    EXPECT_EQ(1, g_request.calls);
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), g_request.flags);
    if (holds_privilege) {
        EXPECT_TRUE(g_request.privilege_enabled);
    }
    // The quit message went to the calling thread only.
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(SystemRestartTest, LeavesNoHandlesBehind) {
    RestartOnOwnThread(EWX_REBOOT);
    DWORD before = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    g_exit_result = TRUE;
    RestartOnOwnThread(EWX_LOGOFF);
    DWORD after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_EQ(before, after);
    EXPECT_EQ(static_cast<UINT>(EWX_LOGOFF), g_request.flags);
    EXPECT_EQ(2, g_request.calls);
}
