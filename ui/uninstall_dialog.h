// What the uninstall dialog does on each tick of its 100 ms timer: ask once,
// start the worker, move the bar, and when the worker is done report once
// and close. The dialog window itself is in uninstall_dialog_win.cpp; this
// part is portable so that its order of things can be tested natively.
#pragma once

namespace ui {

// Set on the first tick, so that the question is asked once although the
// timer keeps firing while it is on screen.
extern bool UninstallStarted;
// What the run comes to, as the process's exit code: 1602 when the question
// was answered No, 3010 when files wait for a restart that was not done,
// else 0. Set from the first tick on.
extern int UninstallExitCode;

// The dialog as the ticks see it.
class UninstallDialogView {
  public:
    virtual ~UninstallDialogView() = default;
    virtual void StartWorker() = 0;
    virtual void SetBarPosition(int position) = 0;
    // Ends the dialog (result 0); the current tick still runs to its end.
    virtual void Close() = 0;
    // Returns whether Windows accepted the restart.
    virtual bool RestartSystem() = 0;
};

// One timer tick. silent is "<Silent>" on the command line: no question, and
// a message only when a restart is needed, without offering it.
void OnUninstallTick(UninstallDialogView& view, const char* project_name, bool silent);

}  // namespace ui
