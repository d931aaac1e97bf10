// Common-controls registration for the progress bars of the pages. The
// library is loaded from the system folder at run time rather than imported
// (see support/system_libraries.h for why).
#include "ui/common_controls.h"

#include <windows.h>
#include <commctrl.h>

#include "support/system_libraries.h"

namespace ui {

void InitPageControls() {
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void*>(support::SystemProcedure("comctl32.dll", "InitCommonControlsEx")));
    if (init == nullptr) {
        return;
    }
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_PROGRESS_CLASS;
    init(&controls);
}

}  // namespace ui
