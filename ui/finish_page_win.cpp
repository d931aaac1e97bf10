// The finish page: a check list of the deferred actions, carried out on a
// worker thread when the user presses Finish (or closes the page).
#include "ui/finish_stage.h"

#include "ui/app_instance.h"
#include "session/install_session.h"
#include "ui/resource_ids.h"
#include "actions/install_worker.h"
#include "script/optional_items.h"
#include "ui/check_list.h"
#include "ui/finish_actions.h"
#include "ui/page_common.h"
#include "ui/page_painting.h"

namespace ui {

namespace {

FinishActions g_actions;
CheckList* g_check_list = nullptr;
support::WorkerThread* g_actions_thread = nullptr;

HICON LoadRowIcon(int id) {
    return static_cast<HICON>(
        LoadImageA(ui::AppInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
}

void FillRows() {
    g_check_list->SetCheckIcons(LoadRowIcon(IDI_CHECKED), LoadRowIcon(IDI_UNCHECKED));
    for (int32_t i = 0; i < script::OptionalIcons.Count(); ++i) {
        auto* icon = static_cast<script::OptionalIcon*>(script::OptionalIcons.GetAt(i));
        g_check_list->AddRow("Create Icon", icon->caption, kCheckRow,
                             LoadRowIcon(IDI_CREATE_SHORTCUT), -1);
    }
    for (int32_t i = 0; i < script::OptionalRuns.Count(); ++i) {
        auto* run = static_cast<script::OptionalRun*>(script::OptionalRuns.GetAt(i));
        g_check_list->AddRow("Run Program", run->caption, kCheckRow, LoadRowIcon(IDI_RUN_PROGRAM),
                             -1);
    }
    if (RestartOffered(session::Current())) {
        g_check_list->AddRow("Reboot", "Finalize installation by rebooting computer.", kCheckRow,
                             LoadRowIcon(IDI_REBOOT), -1);
    }
}

BOOL OnInitDialog(HWND page) {
    ShowBanner(page);
    SetPageTitle(page, "", " Installation");
    delete g_check_list;
    g_check_list = new CheckList(page, 10, 92, 400, 208, ui::AppInstance, 125);
    FillRows();
    SetTimer(page, 1, 250, nullptr);
    return TRUE;
}

// The rows stand in a fixed order: shortcuts, programs, then the restart.
void StartSelectedActions() {
    if (g_actions_thread != nullptr) {
        return;
    }
    // Field by field: a whole-record assignment keeps its initial record as
    // data of its own in the stub.
    g_actions.runs = &SelectedRuns;
    g_actions.icons = &SelectedIcons;
    g_actions.reboot = false;
    g_actions.restart_started = false;
    int row = 0;
    for (int32_t i = 0; i < script::OptionalIcons.Count(); ++i, ++row) {
        if (g_check_list->IsChecked(row)) {
            SelectedIcons.Append(script::OptionalIcons.GetAt(i));
        }
    }
    for (int32_t i = 0; i < script::OptionalRuns.Count(); ++i, ++row) {
        if (g_check_list->IsChecked(row)) {
            SelectedRuns.Append(script::OptionalRuns.GetAt(i));
        }
    }
    g_actions.reboot = RestartOffered(session::Current()) && g_check_list->IsChecked(row);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    g_actions_thread = new support::WorkerThread(&FinishActionsBody, &g_actions);
}

void OnTimer(HWND page) {
    if (g_actions_thread != nullptr && g_actions_thread->IsFinished()) {
        delete g_actions_thread;
        g_actions_thread = nullptr;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        EndDialog(page, 0);
    }
}

INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    if (g_check_list != nullptr &&
        g_check_list->HandleParentMessage(page, message, wparam, lparam)) {
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page);
        case WM_DPICHANGED:
            FollowDpiChange(page, lparam);
            ShowBanner(page);
            if (g_check_list != nullptr) {
                g_check_list->FollowDpi();
            }
            return TRUE;
        case WM_PAINT:
            PaintHeaderPage(
                page, true, 10, 75,
                "Installation has now completed. Review the actions below before clicking finish:");
            return 0;
        case WM_TIMER:
            OnTimer(page);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
                StartSelectedActions();
            }
            return FALSE;
        case WM_CLOSE:
            StartSelectedActions();
            return TRUE;
    }
    return FALSE;
}

void RunSilently() {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    auto* worker = new support::WorkerThread(&FinishActionsBody, &g_actions);
    while (!worker->IsFinished()) {
        Sleep(50);
    }
    delete worker;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace

bool RestartOffered(const session::InstallSession& run_session) {
    return run_session.reboot_needed && !run_session.Markers().no_restart;
}

bool RunFinishStage(HWND owner) {
    g_actions = {&script::OptionalRuns, &script::OptionalIcons, RestartOffered(session::Current()),
                 false};
    if (session::Current().Silent()) {
        RunSilently();
    } else {
        DialogBoxParamA(ui::AppInstance, MAKEINTRESOURCEA(IDD_FINISH_PAGE), owner, &FinishPageProc,
                        0);
    }
    return g_actions.restart_started;
}

}  // namespace ui
