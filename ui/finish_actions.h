// Carrying out the chosen finish-page actions on their own thread, so the
// page keeps painting while a program runs.
#pragma once

#include "support/ptr_array.h"
#include "support/worker_thread.h"

namespace ui {

// What the actions thread is handed: the chosen shortcuts and programs and
// whether to restart at the end.
struct FinishActions {
    support::PtrArray* runs;
    support::PtrArray* icons;
    bool reboot;
    // Set by the thread when Windows accepted the restart.
    bool restart_started;
};

// The entries whose rows are ticked; shared with the optional lists.
extern support::PtrArray SelectedIcons;
extern support::PtrArray SelectedRuns;

// Thread body; the argument is a FinishActions.
void FinishActionsBody(support::WorkerThread* worker);

}  // namespace ui
