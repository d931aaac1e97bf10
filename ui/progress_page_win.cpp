// The progress page: shows the worker's progress on a 100 ms timer, turns
// Cancel into Finish when the worker is done (told at once by a posted
// message, or noticed by the timer), and runs the finish stage when there is
// anything to offer.
#include <windows.h>
#include <commctrl.h>

#include <atomic>

#include "ui/app_instance.h"
#include "session/install_session.h"
#include "ui/resource_ids.h"
#include "actions/install_worker.h"
#include "script/optional_items.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/progress_state.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"
#include "support/worker_thread.h"
#include "ui/finish_stage.h"
#include "ui/page_common.h"
#include "ui/page_painting.h"
#include "ui/progress_stage.h"
#include "actions/uninstall_record_writer.h"
#include "uninstall/uninstall_record.h"

namespace ui {

namespace {

bool g_install_finished = false;
bool g_restart_started = false;
char g_status_line[1100];
// In the 96-DPI layout.
const RECT kStatusBand = {10, 77, 412, 90};
// The page while it is up, for the worker to tell it the moment the work is
// done: waiting for the next timer tick cost a silent install 50 ms on
// average. A worker that ends before the page is up is found by the timer.
std::atomic<HWND> g_progress_page{nullptr};
constexpr UINT kWorkerDoneMessage = WM_APP + 1;

void InstallThenTellThePage(support::WorkerThread* worker) {
    actions::InstallWorkerBody(worker);
    HWND page = g_progress_page.load();
    if (page != nullptr) {
        PostMessageA(page, kWorkerDoneMessage, 0, 0);
    }
}

void SetStatusLine(HWND page, const char* text) {
    support::CopyText(g_status_line, text);
    int dpi = WindowDpi(page);
    RECT band = {ScaleToDpi(kStatusBand.left, dpi), ScaleToDpi(kStatusBand.top, dpi),
                 ScaleToDpi(kStatusBand.right, dpi), ScaleToDpi(kStatusBand.bottom, dpi)};
    InvalidateRect(page, &band, TRUE);
}

bool HasAnythingToOffer() {
    return script::OptionalRuns.Count() > 0 || script::OptionalIcons.Count() > 0 ||
           RestartOffered(session::Current());
}

void OnWorkerDone(HWND page) {
    g_install_finished = true;
    SetDlgItemTextA(page, IDCANCEL, "Finish");
    SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_SETPOS, 100, 0);
    {
        // Nothing writes the record any more; a pending update must not
        // overwrite the finish text.
        support::ProgressGuard guard;
        support::ProgressState.changed = false;
    }
    SetStatusLine(page, "Finished Installation");
    SetForegroundWindow(page);
    SetFocus(GetDlgItem(page, IDCANCEL));
    MessageBeep(0);
    FlashWindow(page, FALSE);
    if (HasAnythingToOffer()) {
        g_restart_started = RunFinishStage(page);
        PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
    }
    if (session::Current().Silent()) {
        PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
    }
}

void ShowProgressUpdate(HWND page) {
    support::ProgressGuard guard;
    if (!support::ProgressState.changed) {
        return;
    }
    support::ProgressState.changed = false;
    int bar = -1;
    char line[sizeof g_status_line];
    ComposeProgressLine(support::ProgressState.action_text, support::ProgressState.file_number,
                        support::ProgressState.file_count, line, sizeof line, &bar);
    if (bar >= 0) {
        SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_SETPOS, bar, 0);
    }
    SetStatusLine(page, line);
}

void OnTimer(HWND page) {
    if (!g_install_finished && session::Current().worker_done) {
        OnWorkerDone(page);
    }
    ShowProgressUpdate(page);
}

void OnCancel(HWND page) {
    if (g_install_finished) {
        EndDialog(page, 0);
        return;
    }
    if (support::ShowOwnedMessage(page, "Cancel Installation?", "Installer",
                                  MB_YESNO | MB_ICONQUESTION) == IDYES) {
        session::Current().stop_requested = true;
        EndDialog(page, 0);
    }
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            SetPageTitle(page, "Installing ", "");
            ShowBanner(page);
            SetTimer(page, 0, 100, nullptr);
            g_progress_page = page;
            // Done before the page was known: no message will come.
            if (session::Current().worker_done) {
                PostMessageA(page, kWorkerDoneMessage, 0, 0);
            }
            return TRUE;
        case WM_PAINT:
            PaintHeaderPage(page, false, 10, 77, g_status_line);
            return 0;
        case WM_DPICHANGED:
            FollowDpiChange(page, lparam);
            ShowBanner(page);
            return TRUE;
        case WM_TIMER:
        case kWorkerDoneMessage:
            OnTimer(page);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDCANCEL) {
                OnCancel(page);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            OnCancel(page);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

namespace {

// A cancel keeps the files installed so far; the record written before the
// first of them lets the person remove them like any installed program.
void ReportCancelled() {
    char text[support::kMaxPath + 200];
    if (actions::UninstallRecordWritten()) {
        support::FormatText(text, sizeof text,
                            "Installation was cancelled and is incomplete.\n\n%s was only partly "
                            "installed. It can be removed from the list of installed programs.",
                            session::Current().project_name);
    } else {
        support::CopyText(text, "Installation was cancelled and is incomplete.");
    }
    support::ShowMessage(text, "Installer", MB_ICONINFORMATION);
}

}  // namespace

int RunProgressStage() {
    support::LogLine("install folder: %s", session::Current().destination_folder);
    g_status_line[0] = '\0';
    g_restart_started = false;
    // The worker is abandoned: the stage follows it through worker_done.
    new support::WorkerThread(&InstallThenTellThePage, nullptr);
    DialogBoxParamA(ui::AppInstance, MAKEINTRESOURCEA(IDD_PROGRESS_PAGE), nullptr,
                    &ProgressPageProc, 0);
    g_progress_page = nullptr;
    bool cancelled = session::Current().stop_requested;
    session::Current().stop_requested = true;
    while (!session::Current().worker_done) {
        Sleep(100);
    }
    if (cancelled) {
        ReportCancelled();
        return support::kExitCancelled;
    }
    if (session::Current().reboot_needed && !g_restart_started) {
        support::LogLine("a file is replaced only at the next restart, which was not done");
    }
    if (session::Current().install_failed) {
        return support::kExitFailed;
    }
    return session::Current().reboot_needed && !g_restart_started ? support::kExitRestartRequired
                                                                  : support::kExitSuccess;
}

}  // namespace ui
