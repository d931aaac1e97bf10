// The main wizard page: the product, the install folder and the disk space.
#pragma once

#include <windows.h>

namespace ui {

// Dialog procedure of the main page; the dialog ends with IDOK to install and
// 0 to stop.
INT_PTR CALLBACK MainPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

enum class MainPageOutcome {
    kInstall,    // the user chose to install
    kCancelled,  // the user cancelled
    kRefused,    // the package was refused before the page was shown
    // Unattended, the folder (the proposed one, or "<InstallTo>") was not
    // one to install to; nobody was there to type another.
    kFolderRefused,
    // "Install for all users" was chosen, which this run lacks the rights
    // for: the installer starts again elevated, with the page's answers.
    kStartElevated,
};

// Shows the main page, unless the package must be refused.
MainPageOutcome RunMainPage();

}  // namespace ui
