// The finish-actions thread: shortcuts, then programs, then the restart.
#include "support/win32_values.h"
#include "session/install_session.h"
#include "ui/finish_actions.h"

#include <windows.h>

#include "actions/install_worker.h"
#include "script/optional_items.h"
#include "actions/run_program.h"
#include "actions/shortcut.h"
#include "support/message_box.h"
#include "support/run_log.h"
#include "support/text.h"
#include "actions/system_restart.h"

namespace ui {

support::PtrArray SelectedIcons;
support::PtrArray SelectedRuns;

namespace {

void CreateOptionalShortcut(const script::OptionalIcon& icon) {
    char link[support::kMaxPath];
    char target[support::kMaxPath];
    char arguments[support::kMaxPath];
    support::CopyText(link, icon.link_path);
    support::CopyText(target, icon.target_path);
    support::CopyText(arguments, icon.arguments);
    actions::ShortcutSpec spec = {};
    spec.target_path = target;
    spec.arguments = arguments;
    spec.flags = actions::kShortcutArguments;
    actions::CreateShortcut(link, spec);
}

// Installers are also started from floppy disks; the disk must be out of the
// drive before the machine starts again.
void AskForFloppy() {
    char own_path[support::kMaxPath] = "";
    GetModuleFileNameA(nullptr, own_path, sizeof own_path);
    char drive = own_path[0];
    bool floppy = drive == 'A' || drive == 'a' || drive == 'B' || drive == 'b';
    if (floppy && !session::Current().Silent()) {
        support::ShowMessage("Please remove the floppy install disk.", "Installer",
                             MB_ICONINFORMATION);
    }
}

}  // namespace

void FinishActionsBody(support::WorkerThread* worker) {
    auto* actions = static_cast<FinishActions*>(worker->Argument());
    for (int32_t i = 0; i < actions->icons->Count(); ++i) {
        CreateOptionalShortcut(*static_cast<const script::OptionalIcon*>(actions->icons->GetAt(i)));
    }
    for (int32_t i = 0; i < actions->runs->Count(); ++i) {
        const auto* run = static_cast<const script::OptionalRun*>(actions->runs->GetAt(i));
        char program[support::kMaxPath];
        support::CopyText(program, run->program_path);
        actions::LaunchFile(program, run->arguments, run->wait != 0);
    }
    if (actions->reboot) {
        AskForFloppy();
        // Logged before: the restart ends this process with the others.
        support::LogLine("restarting the computer to finish the installation");
        actions->restart_started = actions::RestartSystem(EWX_REBOOT);
        if (!actions->restart_started) {
            support::LogLine("the restart was refused");
        }
    }
}

}  // namespace ui
