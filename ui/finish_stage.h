// The finish stage: the optional shortcuts and programs and the restart that
// the installation deferred, offered on the finish page (all ticked) or, in a
// silent installation, all carried out without a page.
#pragma once

#include <windows.h>

namespace ui {

// owner is the progress page. Returns whether a restart was asked for and
// accepted by Windows.
bool RunFinishStage(HWND owner);

}  // namespace ui
