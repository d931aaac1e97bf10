// The install worker's loop over the script.
#include "script/install_loop.h"

#include <memory>

#include "script/install_look_ahead.h"
#include "session/install_session.h"
#include "script/optional_items.h"
#include "support/progress_state.h"
#include "support/text.h"

namespace script {

namespace {

struct RunState {
    InstallActions& actions;
    bool silent;
    int copy_files_total;
    int copy_files_begun;
    bool aborted;
    SectionValues values;  // the section being carried out
};

void HandleAction(const SectionValues& values) {
    support::ProgressGuard guard;
    support::CopyText(support::ProgressState.action_text, sizeof support::ProgressState.action_text,
                      values.Line(0));
    support::ProgressState.changed = true;
}

void HandleCopyFile(RunState& run) {
    // The record exists before the first file lands, so that whatever lands
    // can be uninstalled, even after a kill, a cancel, a failure or a program
    // that restarts the computer.
    if (run.copy_files_begun == 0) {
        run.actions.WriteUninstallRecord();
    }
    const char* entry_name = run.values.Line(0);
    char* target = run.values.Line(1);
    ++run.copy_files_begun;
    {
        support::ProgressGuard guard;
        support::ProgressState.file_number = run.copy_files_begun;
        support::ProgressState.file_count = run.copy_files_total;
        support::ProgressState.changed = true;
    }
    run.actions.InstallFile(entry_name, target, &run.aborted);
    if (!run.aborted) {
        run.actions.RegisterAppPath(target);
    }
}

void HandleCreateIcon(RunState& run) {
    const char* target = run.values.Line(0);
    const char* link = run.values.Line(1);
    const char* arguments = run.values.Line(2);
    if (const char* caption = run.values.OptionalCaption()) {
        AddOptionalIcon(link, target, arguments, caption);
    } else {
        run.actions.CreateShortcut(link, target, arguments);
    }
}

void HandleRun(RunState& run, bool wait) {
    const char* program = run.values.Line(0);
    const char* arguments = run.values.Line(1);
    if (const char* caption = run.values.OptionalCaption()) {
        AddOptionalRun(program, arguments, wait, caption);
    } else {
        run.actions.LaunchFile(program, arguments, wait);
    }
}

void HandleRegistry(RunState& run) {
    static RegistryItem item;  // large; the worker is the only user
    RegistryItemFrom(run.values, &item);
    run.actions.WriteRegistryItem(&item);
}

// Carries out the section whose head is the current line, if it is one of
// the worker's heads. A silent run leaves [Message] lines to the head test.
void Dispatch(SetupScript& script, RunState& run) {
    SectionValues& values = run.values;
    if (script.ReadSectionAt(kActionHead, &values)) {
        HandleAction(values);
    } else if (script.ReadSectionAt(kCopyFileHead, &values)) {
        HandleCopyFile(run);
    } else if (script.ReadSectionAt(kCreateIconHead, &values)) {
        HandleCreateIcon(run);
    } else if (script.ReadSectionAt(kRunAndWaitFileHead, &values)) {
        HandleRun(run, true);
    } else if (script.ReadSectionAt(kRunFileHead, &values)) {
        HandleRun(run, false);
    } else if (!run.silent && script.ReadSectionAt(kMessageHead, &values)) {
        run.actions.ShowMessage(values.Line(0), values.Line(1));
    } else if (script.ReadSectionAt(kRegistryHead, &values)) {
        HandleRegistry(run);
    }
}

// Carries out the script's sections until its end, a stop or an abort.
// Returns whether the script could be read; the script is closed again when
// this returns, since the job folder that holds it may go as soon as the
// worker says it is done.
bool RunSections(const char* script_path, RunState& run) {
    SetupScript script(script_path);
    if (!script.IsOpen()) {
        return false;
    }
    run.copy_files_total = script.CountHeads(kCopyFileHead);
    // The files are decoded ahead on a second core while the loop writes
    // the one before; that stops with the loop.
    std::unique_ptr<InstallLookAhead> look_ahead;
    if (session::Current().job != nullptr) {
        look_ahead = std::make_unique<InstallLookAhead>(
            script_path, &session::Current().job->Archive(), session::Current().stop_requested);
    }
    while (script.NextLine() && !session::Current().stop_requested) {
        Dispatch(script, run);
        if (run.aborted) {
            break;
        }
    }
    return true;
}

}  // namespace

void RunInstallScript(const char* script_path, bool silent, InstallActions& actions) {
    RunState run{actions, silent, 0, 0, false, {}};
    bool read = RunSections(script_path, run);
    if (run.aborted) {
        session::Current().install_failed = true;
    } else if (read && !session::Current().stop_requested) {
        // A script without files gets its record once it has run whole,
        // still before the finish stage can restart the computer.
        actions.WriteUninstallRecord();
    }
    support::ReportAction("Registering Dlls");
    actions.RegisterQueuedDlls();
    session::Current().worker_done = true;
}

}  // namespace script
