// The main wizard page: the product, the install folder and the disk space.
#pragma once

#include <windows.h>

namespace ui {

// Dialog procedure of the main page; the dialog ends with IDOK to install and
// 0 to stop.
INT_PTR CALLBACK MainPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// Shows the main page; true when the user chose to install.
bool RunMainPage();

}  // namespace ui
