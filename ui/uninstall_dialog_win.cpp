// Dialog 201: the uninstall dialog. It has no buttons and no close box: once
// the uninstallation has started it cannot be cancelled, so WM_COMMAND and
// WM_CLOSE are left unhandled and Escape and Alt+F4 do nothing.
#include <windows.h>
#include <commctrl.h>

#include "session/install_session.h"
#include "ui/resource_ids.h"
#include "support/text.h"
#include "ui/page_painting.h"
#include "actions/system_restart.h"
#include "ui/uninstall_dialog.h"
#include "uninstall/uninstall_loop.h"
#include "actions/uninstall_worker.h"
#include "ui/uninstall_window.h"

namespace ui {

namespace {

class DialogView : public UninstallDialogView {
  public:
    explicit DialogView(HWND dialog) : dialog_(dialog) {}
    void StartWorker() override { actions::StartUninstallWorker(); }
    void SetBarPosition(int position) override {
        SendDlgItemMessageA(dialog_, IDC_UNINSTALL_PROGRESS, PBM_SETPOS, position, 0);
    }
    void Close() override { EndDialog(dialog_, 0); }
    bool RestartSystem() override { return actions::RestartSystem(EWX_REBOOT); }

  private:
    HWND dialog_;
};

void OnInitDialog(HWND dialog) {
    char title[support::kMaxPath + 16];
    support::CopyText(title, "Uninstalling ");
    support::AppendText(title, session::Current().project_name);
    SetDlgItemTextA(dialog, IDC_UNINSTALL_TEXT, title);
    SetWindowTextA(dialog, title);
    ui::PageBitmap banner;
    banner.Load(session::Current().uninstall_bitmap_path, 0, nullptr, false);
    banner.ScaleTo(ui::WindowDpi(dialog));
    banner.AssignTo(dialog, IDC_UNINSTALL_BANNER);
    SetTimer(dialog, 0, 100, nullptr);
}

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM /*wparam*/,
                                     LPARAM /*lparam*/) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(dialog);
            return TRUE;
        case WM_TIMER: {
            DialogView view(dialog);
            OnUninstallTick(view, session::Current().project_name, session::Current().Silent());
            return 0;
        }
    }
    return FALSE;
}

}  // namespace

void RunUninstallDialog(HINSTANCE instance) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, &UninstallDialogProc, 0);
}

}  // namespace ui
