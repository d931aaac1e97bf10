// The uninstall dialog's window: banner, progress bar and the questions and
// reports of ui/uninstall_dialog.h. Only Windows code includes this header.
#pragma once

#include <windows.h>

namespace ui {

// Dialog 201 for the session's project and uninstall record, until it closes.
void RunUninstallDialog(HINSTANCE instance);

}  // namespace ui
