// Who the install is for, as the pages ask it: the main page's choice
// between "Install for me only" and "Install for all users" for a package
// that allows both, and the refusal of a package that cannot be installed
// for the current user alone.
#pragma once

#include <windows.h>

#include "session/install_session.h"

namespace ui {

// Tells (a box, under "<Silent>" the log) that the script at script_path has
// an item only an install for all users may carry out, and returns true;
// false when it has none.
bool RefuseMachineOnlyItem(const char* script_path, const char* project);

// Shows the choice on the page when the session asks it (else hides it), with the session's
// scope checked, and marks the main button with the shield when installing
// for all users would start the installer again with administrator rights.
void ShowScopeChoice(HWND page, const session::InstallSession& run_session);
// The user checked one of the two; true when control_id was one of them,
// and the session's scope then follows it.
bool ReadScopeChoice(HWND page, int control_id, session::InstallSession& run_session);
// Whether the install as chosen on the page needs rights this run lacks:
// the page then ends, and the installer starts again elevated.
bool ScopeNeedsElevation(const session::InstallSession& run_session);

}  // namespace ui
