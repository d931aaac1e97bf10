// Shared page pieces.
#include "ui/page_common.h"

#include "ui/app_instance.h"
#include "session/install_session.h"
#include "session/install_job.h"
#include "ui/resource_ids.h"
#include "support/text.h"
#include "support/win32_values.h"
#include "ui/page_painting.h"

namespace ui {

void JobFilePath(const char* name, char* path) {
    path[0] = '\0';
    if (session::Current().job != nullptr) {
        session::Current().job->FolderPath(path);
    }
    support::AppendText(path, support::kMaxPath, name);
}

void ShowBanner(HWND page) {
    char banner[support::kMaxPath];
    JobFilePath("setup.bmp", banner);
    PageBitmap bitmap;
    bitmap.Load(banner, 0, ui::AppInstance, false);
    // At least the page's scale, and enough to span the whole page.
    RECT client = {};
    GetClientRect(page, &client);
    int width = bitmap.Width();
    int spanning = width > 0 ? (client.right * kLayoutDpi + width - 1) / width : 0;
    int dpi = WindowDpi(page);
    bitmap.ScaleTo(spanning > dpi ? spanning : dpi);
    bitmap.AssignTo(page, IDC_BANNER);
}

void FollowDpiChange(HWND page, LPARAM suggested) {
    const RECT* place = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(page, nullptr, place->left, place->top, place->right - place->left,
                 place->bottom - place->top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(page, nullptr, TRUE);
}

void SetPageTitle(HWND page, const char* prefix, const char* suffix) {
    char title[600];
    support::CopyText(title, prefix);
    support::AppendText(title, session::Current().project_name);
    support::AppendText(title, suffix);
    SetWindowTextA(page, title);
}

void PaintHeaderPage(HWND page, bool with_button_row, int x, int y, const char* text) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    int dpi = WindowDpi(page);
    PaintPageFrame(dc, with_button_row ? PageFrame::kWithButtonRow : PageFrame::kBannerOnly, dpi);
    ShadowedText shadowed(dpi);
    shadowed.Paint(dc, x, y, text);
    EndPaint(page, &paint);
}

}  // namespace ui
