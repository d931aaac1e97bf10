// The uninstall worker's loop over the record.
#include "uninstall/uninstall_executor.h"

#include <cstring>

#include "app/app_state.h"
#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/path_text.h"
#include "support/progress_state.h"
#include "support/string_list.h"
#include "support/text.h"
#include "uninstall/uninstall_executor_shared.h"

namespace uninstall {

char UninstallRecordPath[support::kMaxPath];
char UninstallBitmapPath[support::kMaxPath];
volatile bool UninstallRestartNeeded = false;

namespace {

using script::kValueLineLimit;
using script::SetupScript;

struct RunState {
    RunState(const char* record_path, UninstallEffects& run_effects)
        : effects(run_effects), shared(record_path, run_effects, &values) {
        // Read once: nothing they depend on changes while the record is undone.
        script::ReadPlaceholderValues(&values);
    }

    UninstallEffects& effects;
    script::PlaceholderValues values;
    int total = 0;
    int done = 0;
    support::StringList deletions;
    SharedFiles shared;
};

bool ReadPath(SetupScript& script, RunState& run, char* path) {
    return ReadExpandedPath(script, &run.values, path);
}

void HandleCopyFile(SetupScript& record, RunState& run) {
    char entry_name[kValueLineLimit + 1];
    char target[support::kMaxPath];
    record.ReadValue(entry_name, kValueLineLimit);
    if (!ReadPath(record, run, target) || run.shared.IsShared(target)) {
        return;
    }
    // Unregistered before any file goes: the library must still be there.
    run.effects.UnregisterSelfRegisteringFile(target);
    run.deletions.AppendCopy(target);
}

void HandleCreateIcon(SetupScript& record, RunState& run) {
    char shortcut_target[kValueLineLimit + 1];
    char link[support::kMaxPath];
    char arguments[kValueLineLimit + 1];
    record.ReadValue(shortcut_target, kValueLineLimit);
    bool usable = ReadPath(record, run, link);
    record.ReadValue(arguments, kValueLineLimit);
    if (usable) {
        run.deletions.AppendCopy(link);
    }
}

void HandleUninstallAction(SetupScript& record, RunState& run) {
    // Not paths to delete: they go to the program start as they are, which
    // reports what it cannot start.
    char path[kValueLineLimit + 1];
    char parameters[kValueLineLimit + 1];
    record.ReadValue(path, kValueLineLimit);
    record.ReadValue(parameters, kValueLineLimit);
    script::ExpandWithValues(path, sizeof path, &run.values);
    script::ExpandWithValues(parameters, sizeof parameters, &run.values);
    run.effects.RunUninstallAction(path, parameters);
}

// Every uninstall action runs here, in record order, before any file goes.
void ReadRecord(SetupScript& record, RunState& run) {
    while (record.NextLine()) {
        if (record.AtHead(script::kCopyFileHead)) {
            HandleCopyFile(record, run);
        } else if (record.AtHead(script::kCreateIconHead)) {
            HandleCreateIcon(record, run);
        } else if (record.AtHead(script::kUninstallActionHead)) {
            HandleUninstallAction(record, run);
        }
    }
}

void RemoveOne(RunState& run, const char* path) {
    UninstallEffects& effects = run.effects;
    if (effects.PathExists(path) && !effects.DeleteFileAt(path)) {
        // In use, read-only or not ours to delete: Windows takes it away as
        // it starts next time, and the user is offered the restart.
        UninstallRestartNeeded = true;
        effects.ScheduleDeleteAtRestart(path);
    }
    effects.RemoveAppPathsEntry(path);
    const char* last_backslash = std::strrchr(path, '\\');
    if (last_backslash != nullptr) {
        char folder[support::kMaxPath];
        support::CopyText(folder, static_cast<size_t>(last_backslash - path) + 1, path);
        RemoveEmptyFolders(folder, effects);
    }
    ++run.done;
    support::ProgressGuard guard;
    support::ProgressState.file_number = run.done;
    support::ProgressState.file_count = run.total;
    support::ProgressState.changed = true;
}

void UndoInstallation(const char* record_path, RunState& run) {
    SetupScript record(record_path);
    if (!record.IsOpen()) {
        return;
    }
    run.total = record.CountHeads(script::kCopyFileHead);
    ReadRecord(record, run);
    for (int32_t i = 0; i < run.deletions.Count(); ++i) {
        RemoveOne(run, run.deletions.At(i));
    }
}

}  // namespace

void RemoveEmptyFolders(const char* folder, UninstallEffects& effects) {
    char path[support::kMaxPath];
    support::CopyText(path, folder);
    // "C:" or "C:\" is a drive (or its current folder), never ours to remove.
    while (std::strlen(path) >= 4) {
        effects.RemoveFolder(path);
        char* last_backslash = std::strrchr(path, '\\');
        if (last_backslash == nullptr) {
            return;
        }
        *last_backslash = '\0';
    }
}

void RunUninstallRecord(const char* record_path, const char* bitmap_path, const char* project_name,
                        UninstallEffects& effects) {
    {
        RunState run(record_path, effects);
        UndoInstallation(record_path, run);
    }
    effects.DeleteFileAt(record_path);
    effects.DeleteFileAt(bitmap_path);
    // An empty name would address the Uninstall key itself.
    if (project_name[0] != '\0') {
        effects.DeleteUninstallKey(project_name);
    }
    app::WorkerDone = true;
}

}  // namespace uninstall
