// Common-controls registration for the progress bars of the pages.
#include "ui/common_controls.h"

#include <windows.h>
#include <commctrl.h>

namespace ui {

void InitPageControls() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);
}

}  // namespace ui
