// The install worker's loop over the script.
#include "script/install_loop.h"

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
};

void HandleAction(SetupScript& script) {
    // The line goes straight into the shared text while the lock is held.
    support::ProgressGuard guard;
    char text[kValueLineLimit + 1];
    script.ReadValue(text, kValueLineLimit);
    support::CopyText(support::ProgressState.action_text, sizeof support::ProgressState.action_text,
                      text);
    support::ProgressState.changed = true;
}

void HandleCopyFile(SetupScript& script, RunState& run) {
    // The record exists before the first file lands, so that whatever lands
    // can be uninstalled, even after a kill, a cancel, a failure or a program
    // that restarts the computer.
    if (run.copy_files_begun == 0) {
        run.actions.WriteUninstallRecord();
    }
    char entry_name[kValueLineLimit + 1];
    char target[kValueLineLimit + 1];
    script.ReadValue(entry_name, kValueLineLimit);
    script.ReadValue(target, kValueLineLimit);
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

void HandleCreateIcon(SetupScript& script, RunState& run) {
    char target[kValueLineLimit + 1];
    char link[kValueLineLimit + 1];
    char arguments[kValueLineLimit + 1];
    char optional[kOptionalLineLimit + 1];
    script.ReadValue(target, kValueLineLimit);
    script.ReadValue(link, kValueLineLimit);
    script.ReadValue(arguments, kValueLineLimit);
    script.ReadValue(optional, kOptionalLineLimit);
    if (const char* caption = OptionalCaption(optional)) {
        AddOptionalIcon(link, target, arguments, caption);
    } else {
        run.actions.CreateShortcut(link, target, arguments);
    }
}

void HandleRun(SetupScript& script, RunState& run, bool wait) {
    char program[kValueLineLimit + 1];
    char arguments[kValueLineLimit + 1];
    char optional[kOptionalLineLimit + 1];
    script.ReadValue(program, kValueLineLimit);
    script.ReadValue(arguments, kValueLineLimit);
    script.ReadValue(optional, kOptionalLineLimit);
    if (const char* caption = OptionalCaption(optional)) {
        AddOptionalRun(program, arguments, wait, caption);
    } else {
        run.actions.LaunchFile(program, arguments, wait);
    }
}

void HandleMessage(SetupScript& script, RunState& run) {
    char text[kLongLineLimit + 1];
    char kind[kValueLineLimit + 1];
    script.ReadValue(text, kLongLineLimit);
    script.ReadValue(kind, kValueLineLimit);
    run.actions.ShowMessage(text, kind);
}

void HandleRegistry(SetupScript& script, RunState& run) {
    static RegistryItem item;  // large; the worker is the only user
    ReadRegistryItem(script, &item);
    run.actions.WriteRegistryItem(&item);
}

// Carries out the section whose head is the current line, if it is one of
// the worker's heads.
void Dispatch(SetupScript& script, RunState& run) {
    if (script.AtHead(kActionHead)) {
        HandleAction(script);
    } else if (script.AtHead(kCopyFileHead)) {
        HandleCopyFile(script, run);
    } else if (script.AtHead(kCreateIconHead)) {
        HandleCreateIcon(script, run);
    } else if (script.AtHead(kRunAndWaitFileHead)) {
        HandleRun(script, run, true);
    } else if (script.AtHead(kRunFileHead)) {
        HandleRun(script, run, false);
    } else if (script.AtHead(kMessageHead) && !run.silent) {
        HandleMessage(script, run);
    } else if (script.AtHead(kRegistryHead)) {
        HandleRegistry(script, run);
    }
}

}  // namespace

void RunInstallScript(const char* script_path, bool silent, InstallActions& actions) {
    SetupScript script(script_path);
    RunState run{actions, silent, 0, 0, false};
    if (script.IsOpen()) {
        run.copy_files_total = script.CountHeads(kCopyFileHead);
        while (script.NextLine() && !session::Current().stop_requested) {
            Dispatch(script, run);
            if (run.aborted) {
                break;
            }
        }
    }
    if (run.aborted) {
        session::Current().install_failed = true;
    } else if (script.IsOpen() && !session::Current().stop_requested) {
        // A script without files gets its record once it has run whole,
        // still before the finish stage can restart the computer.
        actions.WriteUninstallRecord();
    }
    support::ReportAction("Registering Dlls");
    actions.RegisterQueuedDlls();
    session::Current().worker_done = true;
}

}  // namespace script
