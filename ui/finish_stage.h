// The finish stage: the optional shortcuts and programs and the restart that
// the installation deferred, offered on the finish page (all ticked) or, in a
// silent installation, all carried out without a page.
#pragma once

#include <windows.h>

namespace session {
class InstallSession;
}

namespace ui {

// Whether the finish stage offers the restart: one is needed and the
// command line did not forbid it ("<NoRestart>": the run ends with 3010).
bool RestartOffered(const session::InstallSession& run_session);

// owner is the progress page. Returns whether a restart was asked for and
// accepted by Windows.
bool RunFinishStage(HWND owner);

}  // namespace ui
