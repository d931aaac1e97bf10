// The licence page.
#include "support/win32_values.h"
#include "ui/licence_page.h"

#include <cstdlib>

#include "ui/app_instance.h"
#include "ui/resource_ids.h"
#include "ui/licence_text.h"
#include "ui/page_common.h"
#include "ui/page_painting.h"

namespace ui {

namespace {

// As on the main page: -1 is what a dialog that could not be made returns.
constexpr INT_PTR kAccept = IDOK;

// The text is shown as stored; a short read shows what arrived. A licence
// that cannot be read, or is too large to show, leaves the control empty.
void LoadLicence(HWND page) {
    char path[support::kMaxPath];
    JobFilePath("setup.lic", path);
    char* text = ReadLicenceText(path);
    if (text == nullptr) {
        return;
    }
    SetDlgItemTextA(page, IDC_LICENCE_TEXT, text);
    std::free(text);
}

INT_PTR CALLBACK LicencePageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            LoadLicence(page);
            ShowBanner(page);
            SetPageTitle(page, "", " Installation");
            return TRUE;
        case WM_PAINT:
            PaintHeaderPage(page, true, 10, 75, "License Terms and Conditions");
            return 0;
        case WM_DPICHANGED:
            FollowDpiChange(page, lparam);
            ShowBanner(page);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
                EndDialog(page, kAccept);
                return TRUE;
            }
            if (LOWORD(wparam) == IDCANCEL) {
                EndDialog(page, 0);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(page, 0);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

bool RunLicencePage(HWND owner) {
    return DialogBoxParamA(ui::AppInstance, MAKEINTRESOURCEA(IDD_LICENCE_PAGE), owner,
                           &LicencePageProc, 0) == kAccept;
}

}  // namespace ui
