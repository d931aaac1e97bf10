// The uninstall dialog's ticks: question, progress, closing message.
#include "ui/uninstall_dialog.h"

#include "session/install_session.h"
#include "support/exit_codes.h"
#include "support/message_box.h"
#include "support/progress_state.h"
#include "support/run_log.h"
#include "support/text_format.h"
#include "support/win32_values.h"
#include "uninstall/uninstall_loop.h"

namespace ui {

bool UninstallStarted = false;
int UninstallExitCode = support::kExitSuccess;

namespace {

constexpr char kCaption[] = "Uninstall";
// A project name of up to 259 characters and the longest message around it.
constexpr size_t kMessageSize = support::kMaxPath + 200;

bool ConfirmUninstall(const char* project_name) {
    char text[kMessageSize];
    support::FormatText(text, sizeof text, "Uninstall %s?", project_name);
    // A box that could not be shown returns 0: nobody said yes, so nothing
    // is removed.
    int answer = support::ShowMessage(text, kCaption, support::kMbYesNo | support::kMbIconQuestion);
    return answer != 0 && answer != support::kIdNo;
}

void ShowProgress(UninstallDialogView& view) {
    support::ProgressGuard guard;
    if (!support::ProgressState.changed) {
        return;
    }
    support::ProgressState.changed = false;
    view.SetBarPosition(support::PercentDone(support::ProgressState.file_number,
                                             support::ProgressState.file_count));
}

void ReportUninstalled(UninstallDialogView& view, const char* project_name, bool silent) {
    char text[kMessageSize];
    if (session::Current().uninstall_incomplete) {
        UninstallExitCode = support::kExitFailed;
    } else if (session::Current().uninstall_restart_needed) {
        UninstallExitCode = support::kExitRestartRequired;
    }
    if (session::Current().uninstall_restart_needed) {
        // Unattended, or told not to: the restart is left to whoever reads
        // the exit code, and nobody is asked.
        if (silent || session::Current().Markers().no_restart) {
            support::FormatText(
                text, sizeof text,
                "%s has now been uninstalled, however certain items can not be removed "
                "until your computer is restarted.",
                project_name);
            support::ShowMessage(text, kCaption, support::kMbIconInformation);
            return;
        }
        support::FormatText(text, sizeof text,
                            "%s has now been uninstalled, however certain items can not be removed "
                            "until your computer is restarted. Restart Now?",
                            project_name);
        if (support::ShowMessage(text, kCaption, support::kMbYesNo | support::kMbIconQuestion) ==
                support::kIdYes &&
            view.RestartSystem() && !session::Current().uninstall_incomplete) {
            UninstallExitCode = support::kExitSuccess;
        }
        return;
    }
    support::FormatText(text, sizeof text, "%s has now been uninstalled.", project_name);
    if (silent) {
        support::LogLine("%s", text);
        return;
    }
    support::ShowMessage(text, kCaption, support::kMbOk | support::kMbIconInformation);
}

}  // namespace

void OnUninstallTick(UninstallDialogView& view, const char* project_name, bool silent) {
    if (!UninstallStarted) {
        UninstallStarted = true;
        UninstallExitCode = support::kExitSuccess;
        if (silent || ConfirmUninstall(project_name)) {
            view.StartWorker();
        } else {
            UninstallExitCode = support::kExitCancelled;
            view.Close();
        }
    }
    ShowProgress(view);
    if (!session::Current().worker_done) {
        return;
    }
    // Cleared before the message: the timer keeps firing while it is shown,
    // and those ticks must not show it again.
    session::Current().worker_done = false;
    view.SetBarPosition(100);
    ReportUninstalled(view, project_name, silent);
    view.Close();
}

}  // namespace ui
