// The licence page: the package's setup.lic, to accept or go back.
#pragma once

#include <windows.h>

namespace ui {

// Shows the licence page owned by owner; true when the user accepted.
bool RunLicencePage(HWND owner);

}  // namespace ui
