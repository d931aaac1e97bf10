// The run's log, its end and the project's machine-wide lock on Windows.
#include "support/win32_values.h"
#include "app/run_report.h"

#include <windows.h>

#include <cstring>

#include "support/elevation.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/text.h"
#include "support/text_format.h"

#ifndef VORNAK_VERSION
#define VORNAK_VERSION "unknown"
#endif

namespace app {

namespace {

const char* ExitReason(int exit_code) {
    switch (exit_code) {
        case support::kExitSuccess:
            return "success";
        case support::kExitRestartRequired:
            return "success; a restart is needed to finish, and was not done";
        case support::kExitCancelled:
            return "cancelled";
        case support::kExitFailed:
            return "failed";
        case support::kExitAnotherRunInProgress:
            return "another installation of the project is in progress";
        case support::kExitBadCommandLine:
            return "the command line was refused";
    }
    return "unknown";
}

}  // namespace

RunReport::RunReport(const session::RunMarkers& markers, const char* command_line, const char* mode)
    : mode_(mode),
      unattended_before_(support::SetUnattended(markers.silent)),
      log_wanted_in_temp_(markers.log && markers.log_path[0] == '\0') {
    if (!markers.log) {
        return;
    }
    support::AttachRunLog(&log_);
    if (!log_wanted_in_temp_ && !log_.OpenAt(markers.log_path)) {
        // Nowhere to write: the run goes on, unlogged, as it would without
        // the marker; only the exit code tells.
        support::AttachRunLog(nullptr);
        return;
    }
    support::LogLine("Vornak Installer %s (%s)", VORNAK_VERSION,
                     sizeof(void*) == 8 ? "x64" : "x86");
    support::LogLine("command line: %s", command_line);
    support::LogLine("mode: %s%s", mode, markers.silent ? ", silent" : "");
    support::LogLine("administrator rights: %s", support::RunsElevated() ? "yes" : "no");
}

RunReport::~RunReport() {
    if (support::AttachedRunLog() == &log_) {
        support::AttachRunLog(nullptr);
    }
    support::SetUnattended(unattended_before_);
}

void RunReport::NameAfter(const char* project) {
    if (!log_wanted_in_temp_ || support::AttachedRunLog() != &log_) {
        return;
    }
    log_wanted_in_temp_ = false;
    char stem[support::kMaxPath];
    if (project[0] != '\0') {
        support::CopyText(stem, project);
    } else {
        // The program's own file name without its folder and extension.
        char own_path[support::kMaxPath] = "";
        GetModuleFileNameA(nullptr, own_path, sizeof own_path);
        support::FileTitle(own_path, stem);
    }
    support::AppendText(stem, "-");
    support::AppendText(stem, mode_);
    char folder[support::kMaxPath] = "";
    char chosen[support::kMaxPath] = "";
    if (GetTempPathA(sizeof folder, folder) == 0 ||
        !log_.OpenNew(folder, stem, chosen, sizeof chosen)) {
        support::AttachRunLog(nullptr);
    }
}

int RunReport::Finish(int exit_code) {
    if (handed_over_) {
        return exit_code;
    }
    // A log still waiting for its name is written now, named after the
    // program: a run that ended before it knew its project.
    NameAfter("");
    support::LogLine("exit code %d: %s", exit_code, ExitReason(exit_code));
    return exit_code;
}

void RunReport::HandOver() {
    handed_over_ = true;
    log_wanted_in_temp_ = false;
    log_.Close();
}

ProjectRunLock::~ProjectRunLock() {
    Release();
}

void ProjectRunLock::Release() {
    if (handle_ != nullptr) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
}

bool ProjectRunLock::Take(const char* project) {
    // One name for the project however its letters are cased, as the
    // Uninstall key it owns; the Global namespace reaches every session.
    char name[support::kMaxPath + 40];
    support::CopyText(name, "Global\\VornakInstaller-");
    size_t prefix = std::strlen(name);
    support::AppendText(name, project);
    for (char* c = name + prefix; *c != '\0'; ++c) {
        // ASCII letters only, as the C runtime's toupper does in the "C"
        // locale; bytes of other letters stay.
        *c = *c == '\\' ? '_' : *c >= 'a' && *c <= 'z' ? static_cast<char>(*c - 'a' + 'A') : *c;
    }
    handle_ = CreateMutexA(nullptr, FALSE, name);
    DWORD error = GetLastError();
    if (handle_ != nullptr && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle_);
        handle_ = nullptr;
        return false;
    }
    // Held by a run of another user whose lock we may not open: in use too.
    return !(handle_ == nullptr && error == ERROR_ACCESS_DENIED);
}

int ReportRunInProgress(const char* project, const char* caption) {
    char text[support::kMaxPath + 160];
    support::FormatText(text, sizeof text,
                        "Another installation of %s is in progress. Wait until it has finished, "
                        "then try again.",
                        project);
    support::ShowMessage(text, caption, support::kMbIconInformation);
    return support::kExitAnotherRunInProgress;
}

}  // namespace app
