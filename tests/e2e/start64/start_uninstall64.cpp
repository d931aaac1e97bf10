// A 64-bit Windows program that starts a project's uninstaller as the list of
// installed programs does on 64-bit Windows: it reads the command line from
// the project's Uninstall key (the 32-bit view, where a 32-bit installer's
// entry lives) and hands it to CreateProcess as it stands. A 64-bit process
// sees the real system32, so a command line that names the folder only
// 32-bit programs see under that name finds nothing to start.
//
//   start_uninstall64.exe "PROJECT NAME" VALUE
//
// Exit code: the uninstaller's own, once it has ended; 2 when the value
// cannot be read, 3 when the program cannot be started (the error on
// stderr), 4 when it has not ended within a minute (it is then ended).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ReadCommand(const char* project, const char* value) {
    std::string key =
        std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + project;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                      &handle) != ERROR_SUCCESS) {
        return "";
    }
    char text[2048] = "";
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    if (RegQueryValueExA(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        text[0] = '\0';
    }
    RegCloseKey(handle);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: start_uninstall64 PROJECT VALUE\n");
        return 2;
    }
    std::string command = ReadCommand(argv[1], argv[2]);
    if (command.empty()) {
        std::fprintf(stderr, "no %s for %s\n", argv[2], argv[1]);
        return 2;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", command.c_str(), GetLastError());
        return 3;
    }
    DWORD exit_code = 4;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exit_code);
    } else {
        TerminateProcess(process.hProcess, 4);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exit_code);
}
