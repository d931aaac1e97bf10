// The container dialog and its worker: the script's messages, then every
// embedded installer, one after another, each waited for.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "support/win32_values.h"
#include "session/install_session.h"
#include "ui/app_instance.h"
#include "session/install_job.h"
#include "ui/resource_ids.h"
#include "actions/install_worker.h"
#include "actions/run_program.h"
#include "script/setup_script.h"
#include "support/exit_codes.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/worker_thread.h"
#include "ui/install_container.h"
#include "ui/page_common.h"

namespace ui {

namespace {

volatile LONG g_container_total = 0;
volatile LONG g_container_current = 0;
// What the counter line shows; nothing until the first update.
bool g_counter_shown = false;
LONG g_shown_current = 0;
LONG g_shown_total = 0;
support::WorkerThread* g_container_thread = nullptr;
// Set when the dialog has ended: no further installer may start after that.
std::atomic<bool> g_container_closed{false};
// What the container's run comes to, from its installers' exit codes.
std::atomic<int> g_container_exit_code{support::kExitSuccess};

// The first failure among the embedded installers decides; a restart that
// one of them still needs counts only where nothing failed.
void NoteInstallerExit(bool started, uint32_t code) {
    int result = started ? static_cast<int>(code) : support::kExitFailed;
    int so_far = g_container_exit_code;
    if (result == support::kExitSuccess ||
        (so_far != support::kExitSuccess && so_far != support::kExitRestartRequired)) {
        return;
    }
    if (result != support::kExitRestartRequired || so_far == support::kExitSuccess) {
        g_container_exit_code = result;
    }
}

void ShowContainerMessages() {
    if (session::Current().Silent()) {
        return;
    }
    char script_path[support::kMaxPath];
    JobFilePath("setup.dat", script_path);
    script::SetupScript script(script_path);
    script::SectionValues values;
    while (script.NextLine()) {
        if (script.ReadSectionAt(script::kMessageHead, &values)) {
            script::ShowScriptMessage(values.Line(0), values.Line(1));
        }
    }
}

// Attended, embedded installers get no arguments: each asks its own
// questions. Unattended, nobody would answer their pages: they run as the
// container does, without a restart where it has none, each with a log of
// its own beside the container's.
const char* EmbeddedArguments() {
    const session::RunMarkers& markers = session::Current().Markers();
    static char arguments[64];
    arguments[0] = '\0';
    if (markers.silent) {
        support::AppendText(arguments, "<Silent>");
    }
    if (markers.silent && markers.no_restart) {
        support::AppendText(arguments, " <NoRestart>");
    }
    if (markers.silent && markers.log) {
        support::AppendText(arguments, " <Log>");
    }
    return arguments;
}

void RunEmbeddedInstallers(archive::PackageArchive& package) {
    char name[support::kMaxPath];
    for (uint32_t index = 0; !g_container_closed; ++index) {
        package.GetEntryName(index, name);
        if (name[0] == '\0') {
            return;
        }
        if (!IsInstallerEntryName(name)) {
            continue;
        }
        char program[support::kMaxPath];
        support::CopyText(program, "<TempInstall>\\");
        support::AppendText(program, name);
        InterlockedIncrement(&g_container_current);
        uint32_t code = support::kExitFailed;
        bool started = actions::LaunchFile(program, EmbeddedArguments(), true, &code);
        NoteInstallerExit(started, code);
    }
}

void ContainerWorkerBody(support::WorkerThread* /*worker*/) {
    archive::PackageArchive& package = session::Current().job->Archive();
    g_container_total = CountInstallerEntries(package);
    ShowContainerMessages();
    RunEmbeddedInstallers(package);
}

void UpdateCounterText(HWND dialog) {
    LONG current = g_container_current;
    LONG total = g_container_total;
    if (g_counter_shown && current == g_shown_current && total == g_shown_total) {
        return;
    }
    g_counter_shown = true;
    g_shown_current = current;
    g_shown_total = total;
    char text[64];
    support::FormatText(text, sizeof text, "Running Install %ld of %ld", current, total);
    SetDlgItemTextA(dialog, IDC_CONTAINER_COUNTER, text);
}

INT_PTR CALLBACK ContainerProc(HWND dialog, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
    switch (message) {
        case WM_INITDIALOG:
            g_container_thread = new support::WorkerThread(&ContainerWorkerBody, nullptr);
            SetTimer(dialog, 34, 250, nullptr);
            UpdateCounterText(dialog);
            return TRUE;
        case WM_TIMER:
            if (g_container_thread != nullptr && g_container_thread->IsFinished()) {
                EndDialog(dialog, 0);
            }
            UpdateCounterText(dialog);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDCANCEL) {
                EndDialog(dialog, 0);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

bool RunContainerIfPresent(int* exit_code) {
    char script_path[support::kMaxPath];
    JobFilePath("setup.dat", script_path);
    if (!script::ScriptHasHead(script_path, script::kInstallContainerHead)) {
        return false;
    }
    DialogBoxParamA(ui::AppInstance, MAKEINTRESOURCEA(IDD_CONTAINER), nullptr, &ContainerProc, 0);
    g_container_closed = true;
    // Closed while an installer still ran, or before the last one: the user
    // cancelled the rest.
    bool cancelled = g_container_thread != nullptr && !g_container_thread->IsFinished();
    int result = g_container_exit_code;
    *exit_code =
        cancelled && (result == support::kExitSuccess || result == support::kExitRestartRequired)
            ? support::kExitCancelled
            : result;
    return true;
}

bool ContainerStillRunning() {
    return g_container_thread != nullptr && !g_container_thread->IsFinished();
}

}  // namespace ui
