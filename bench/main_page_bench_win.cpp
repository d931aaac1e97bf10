// Start-up as a person sees it: the time from starting an installer to its
// main page being on the screen, for each package given, best of several
// runs. Each run is then cancelled on the main page, so nothing is installed.
//   main_page_bench [--repeat N] PACKAGE...
// Prints one line per package: its size and the best time in seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/resource_ids.h"

namespace {

struct Search {
    DWORD process_id;
    HWND page;
};

// The main page is the dialog with the location box.
BOOL CALLBACK FindMainPage(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process_id && IsWindowVisible(window) &&
        GetDlgItem(window, IDC_LOCATION) != nullptr) {
        search->page = window;
        return FALSE;
    }
    return TRUE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// One run: negative when the page did not appear within a minute.
double SecondsToMainPage(const std::string& package) {
    std::string command = "\"" + package + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    Search search = {process.dwProcessId, nullptr};
    LARGE_INTEGER now = start;
    while (search.page == nullptr && Seconds(start, now) < 60) {
        EnumWindows(FindMainPage, reinterpret_cast<LPARAM>(&search));
        if (search.page == nullptr) {
            Sleep(2);
        }
        QueryPerformanceCounter(&now);
    }
    if (search.page != nullptr) {
        SendMessageA(search.page, WM_COMMAND, IDCANCEL, 0);
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return search.page != nullptr ? Seconds(start, now) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 3;
    std::vector<std::string> packages;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeat = std::atoi(argv[++i]);
        } else {
            packages.push_back(argv[i]);
        }
    }
    if (packages.empty() || repeat < 1) {
        std::fprintf(stderr, "usage: main_page_bench [--repeat N] PACKAGE...\n");
        return 2;
    }
    int status = 0;
    for (const std::string& package : packages) {
        double best = -1;
        for (int i = 0; i < repeat; ++i) {
            double seconds = SecondsToMainPage(package);
            if (seconds >= 0 && (best < 0 || seconds < best)) {
                best = seconds;
            }
        }
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExA(package.c_str(), GetFileExInfoStandard, &data);
        std::printf("main_page_bench: %s %lu bytes %.3f s\n", package.c_str(),
                    static_cast<unsigned long>(data.nFileSizeLow), best);
        status = best < 0 ? 1 : status;
    }
    return status;
}
