// The progress page: shows the worker's progress on a 100 ms timer, turns
// Cancel into Finish when the worker is done, and runs the finish stage when
// there is anything to offer.
#include <windows.h>
#include <commctrl.h>

#include "app/app_instance.h"
#include "app/app_state.h"
#include "app/resource_ids.h"
#include "script/install_actions.h"
#include "script/optional_items.h"
#include "support/message_box.h"
#include "support/progress_state.h"
#include "support/text.h"
#include "support/worker_thread.h"
#include "ui/finish_stage.h"
#include "ui/page_common.h"
#include "ui/page_painting.h"
#include "ui/progress_stage.h"
#include "uninstall/uninstall_record.h"

namespace ui {

namespace {

bool g_install_finished = false;
char g_status_line[1100];
const RECT kStatusBand = {10, 77, 412, 90};

void SetStatusLine(HWND page, const char* text) {
    support::CopyText(g_status_line, text);
    InvalidateRect(page, &kStatusBand, TRUE);
}

bool HasAnythingToOffer() {
    return script::OptionalRuns.Count() > 0 || script::OptionalIcons.Count() > 0 ||
           app::RebootNeeded;
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
        RunFinishStage(page);
        PostMessageA(page, WM_COMMAND, IDCANCEL, 0);
    }
    if (script::IsSilentInstall()) {
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
    if (!g_install_finished && app::WorkerDone) {
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
        app::StopRequested = true;
        EndDialog(page, 0);
    }
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
    switch (message) {
        case WM_INITDIALOG:
            SetPageTitle(page, "Installing ", "");
            ShowBanner(page);
            SetTimer(page, 0, 100, nullptr);
            return TRUE;
        case WM_PAINT:
            PaintHeaderPage(page, false, 10, 77, g_status_line);
            return 0;
        case WM_TIMER:
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

void RunProgressStage() {
    g_status_line[0] = '\0';
    // The worker is abandoned: the stage follows it through WorkerDone.
    new support::WorkerThread(&script::InstallWorkerBody, nullptr);
    DialogBoxParamA(app::AppInstance, MAKEINTRESOURCEA(IDD_PROGRESS_PAGE), nullptr,
                    &ProgressPageProc, 0);
    if (app::StopRequested) {
        support::ShowMessage("Installation was cancelled and is incomplete.", "Installer",
                             MB_ICONINFORMATION);
    } else {
        uninstall::WriteUninstallRecord();
    }
    app::StopRequested = true;
    while (!app::WorkerDone) {
        Sleep(100);
    }
}

}  // namespace ui
