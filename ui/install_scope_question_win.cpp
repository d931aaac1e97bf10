// The main page's question of who the install is for, and the refusal of a
// package that cannot be installed for the current user alone.
#include "ui/install_scope_question.h"

#include <commctrl.h>

#include "script/install_scope.h"
#include "support/elevation.h"
#include "support/message_box.h"
#include "support/text_format.h"
#include "support/win32_values.h"
#include "ui/resource_ids.h"

namespace ui {

namespace {

// The shield tells, as everywhere in Windows, that the button asks for
// administrator rights.
void ShowShield(HWND page, const session::InstallSession& run_session) {
    bool asks = !run_session.per_user && support::MustStartElevated(run_session.Markers().elevated);
    SendDlgItemMessageA(page, IDOK, BCM_SETSHIELD, 0, asks ? TRUE : FALSE);
}

void CheckScope(HWND page, bool per_user) {
    SendDlgItemMessageA(page, IDC_SCOPE_ME, BM_SETCHECK, per_user ? BST_CHECKED : BST_UNCHECKED, 0);
    SendDlgItemMessageA(page, IDC_SCOPE_ALL, BM_SETCHECK, per_user ? BST_UNCHECKED : BST_CHECKED,
                        0);
}

}  // namespace

bool RefuseMachineOnlyItem(const char* script_path, const char* project) {
    char item[support::kMaxPath];
    if (!script::FindMachineOnlyItem(script_path, item, sizeof item)) {
        return false;
    }
    char text[2 * support::kMaxPath + 160];
    support::FormatText(text, sizeof text,
                        "'%s' cannot be installed for the current user alone: its script "
                        "has a %s, which only an install for all users may make.",
                        project, item);
    support::ShowMessage(text, "Installer", support::kMbIconError);
    return true;
}

void ShowScopeChoice(HWND page, const session::InstallSession& run_session) {
    int show = run_session.scope_asked_on_page ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(page, IDC_SCOPE_ME), show);
    ShowWindow(GetDlgItem(page, IDC_SCOPE_ALL), show);
    if (!run_session.scope_asked_on_page) {
        return;
    }
    CheckScope(page, run_session.per_user);
    ShowShield(page, run_session);
}

bool ReadScopeChoice(HWND page, int control_id, session::InstallSession& run_session) {
    if (control_id != IDC_SCOPE_ME && control_id != IDC_SCOPE_ALL) {
        return false;
    }
    // Checked here as well: a click that arrives as the command alone (an
    // accessibility tool's) must not leave the marks and the choice apart.
    run_session.per_user = control_id == IDC_SCOPE_ME;
    CheckScope(page, run_session.per_user);
    ShowShield(page, run_session);
    return true;
}

bool ScopeNeedsElevation(const session::InstallSession& run_session) {
    return run_session.scope_asked_on_page && !run_session.per_user &&
           support::MustStartElevated(run_session.Markers().elevated);
}

}  // namespace ui
