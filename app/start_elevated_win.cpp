// Starting this program again with administrator rights, through the shell's
// "runas" verb.
#include "app/start_elevated.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <memory>
#include <new>

#include "session/run_markers.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"

namespace app {

namespace {

constexpr char kElevatedMarker[] = "<Elevated>";

// extra_markers and "<Elevated>", then the arguments of this run: before
// them, since an uninstall record's path runs to the end of the line. Null
// when memory ran out.
std::unique_ptr<char[]> ArgumentsForElevatedRun(const char* extra_markers) {
    const char* arguments = session::ArgumentsOf(GetCommandLineA());
    size_t capacity =
        std::strlen(arguments) + std::strlen(extra_markers) + sizeof kElevatedMarker + 1;
    std::unique_ptr<char[]> joined(new (std::nothrow) char[capacity]);
    if (joined != nullptr) {
        support::CopyText(joined.get(), capacity, extra_markers);
        support::AppendText(joined.get(), capacity, kElevatedMarker);
        support::AppendText(joined.get(), capacity, arguments);
    }
    return joined;
}

}  // namespace

int RunElevated(RunReport& report, const char* extra_markers, const char* work,
                const char* caption) {
    char program[support::kMaxPath] = "";
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    std::unique_ptr<char[]> arguments = ArgumentsForElevatedRun(extra_markers);
    support::LogLine("starting again as administrator");
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    // The box of a failure is ours (refusal); the prompt is not a failure's.
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpVerb = "runas";
    start.lpFile = program;
    start.lpParameters = arguments.get();
    start.nShow = SW_SHOWNORMAL;
    bool started = length != 0 && length < sizeof program && arguments != nullptr &&
                   ShellExecuteExA(&start) && start.hProcess != nullptr;
    if (!started) {
        DWORD error = GetLastError();
        support::LogFailure("not started again", program, error);
        char text[support::kMaxPath + 120];
        support::FormatText(text, sizeof text,
                            "%s needs administrator rights, which were not given. Nothing was "
                            "changed.",
                            work);
        support::ShowMessage(text, caption, support::kMbIconError);
        return error == ERROR_CANCELLED ? support::kExitCancelled : support::kExitFailed;
    }
    report.HandOver();
    WaitForSingleObject(start.hProcess, INFINITE);
    DWORD exit_code = support::kExitFailed;
    GetExitCodeProcess(start.hProcess, &exit_code);
    CloseHandle(start.hProcess);
    return static_cast<int>(exit_code);
}

}  // namespace app
