// Small pieces every wizard page shares: the banner, the window title made
// from the project name, and the job folder's files.
#pragma once

#include <windows.h>

namespace ui {

// Shows the job folder's setup.bmp in the page's banner control, scaled to
// the page's DPI.
void ShowBanner(HWND page);
// WM_DPICHANGED: takes the size and place Windows suggests (lparam) and has
// the page painted again; the page then lays out its own pixel parts.
void FollowDpiChange(HWND page, LPARAM suggested);
// Sets the title to prefix + the session's project_name + suffix.
void SetPageTitle(HWND page, const char* prefix, const char* suffix);
// Paints a page that shows one header text: the frame, then the text as
// shadowed text with its black at (x, y).
void PaintHeaderPage(HWND page, bool with_button_row, int x, int y, const char* text);
// The path of a file in the job folder (260 bytes).
void JobFilePath(const char* name, char* path);

}  // namespace ui
