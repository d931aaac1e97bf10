// Starting this program again with administrator rights.
//
// The manifest asks for none, so an install for one user runs with the
// user's own rights and no prompt. A run that writes for all users (an
// install for all users, the uninstall of one) starts itself again
// elevated, with its own command line, waits for that run and ends with its
// exit code. The prompt (consent, or an administrator's password for a user
// who is none) is Windows' own.
#pragma once

#include "app/run_report.h"

namespace app {

// Starts this program again, elevated, with extra_markers, "<Elevated>" and
// its own arguments; hands the log over to that run, waits for it and
// returns its exit code. When Windows does not start it (the user refused,
// or could give no administrator's password), a box (under "<Silent>" the
// log) tells that work ("Removing NAME") "needs administrator rights, which
// were not given. Nothing was changed.", and the result is 1602 for a
// refusal, 1603 for anything else.
int RunElevated(RunReport& report, const char* extra_markers, const char* work,
                const char* caption);

}  // namespace app
