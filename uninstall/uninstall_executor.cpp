// The uninstall worker's loop over the record.
#include "uninstall/uninstall_executor.h"

#include <cstring>

#include "app/app_state.h"
#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/progress_state.h"
#include "support/string_list.h"
#include "support/text.h"

namespace uninstall {

char UninstallRecordPath[support::kMaxPath];
char UninstallBitmapPath[support::kMaxPath];
volatile bool UninstallRestartNeeded = false;

namespace {

using script::kValueLineLimit;
using script::SetupScript;

struct RunState {
    UninstallEffects& effects;
    const char* record_path;
    // Read once: nothing they depend on changes while the record is undone.
    script::PlaceholderValues values;
    int total;
    int done;
    support::StringList deletions;
    // The expanded [CopyFile] targets of every other project's record,
    // gathered when the first target is tested: a file listed there is
    // shared and stays.
    bool other_targets_read;
    support::StringList other_targets;
};

// Reads a path value line and expands it into path (kMaxPath bytes). False
// for a path no installation can have made: one too long for the buffer, or
// one that still holds a placeholder's "<" after expansion (an expansion
// that did not fit keeps its token). Such a path is not acted on at all, so
// that no shorter, different path is deleted in its place.
bool ReadPath(SetupScript& script, RunState& run, char* path) {
    char line[kValueLineLimit + 1];
    script.ReadValue(line, kValueLineLimit);
    if (!support::CopyText(path, support::kMaxPath, line)) {
        return false;
    }
    script::ExpandWithValues(path, support::kMaxPath, &run.values);
    return std::strchr(path, '<') == nullptr;
}

void ReadOtherTargets(RunState& run) {
    run.other_targets_read = true;
    char folder[support::kMaxPath];
    support::FolderPart(run.record_path, folder);
    support::FileFinder finder(kRecordPattern, folder);
    while (finder.Next()) {
        if (finder.IsFolder() || run.effects.SamePath(finder.ItemPath(), run.record_path)) {
            continue;
        }
        SetupScript other(finder.ItemPath());
        while (other.NextLine()) {
            if (other.AtHead(script::kCopyFileHead)) {
                char entry_name[kValueLineLimit + 1];
                char target[support::kMaxPath];
                other.ReadValue(entry_name, kValueLineLimit);
                if (ReadPath(other, run, target)) {
                    run.other_targets.AppendCopy(target);
                }
            }
        }
    }
}

bool IsShared(RunState& run, const char* target) {
    if (!run.other_targets_read) {
        ReadOtherTargets(run);
    }
    for (int32_t i = 0; i < run.other_targets.Count(); ++i) {
        if (run.effects.SamePath(run.other_targets.At(i), target)) {
            return true;
        }
    }
    return false;
}

void HandleCopyFile(SetupScript& record, RunState& run) {
    char entry_name[kValueLineLimit + 1];
    char target[support::kMaxPath];
    record.ReadValue(entry_name, kValueLineLimit);
    if (!ReadPath(record, run, target) || IsShared(run, target)) {
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
    // Large (the placeholder table and two lists); the worker is its only user.
    auto* run = new RunState{effects, record_path, {}, 0, 0, {}, false, {}};
    script::ReadPlaceholderValues(&run->values);
    UndoInstallation(record_path, *run);
    delete run;
    effects.DeleteFileAt(record_path);
    effects.DeleteFileAt(bitmap_path);
    // An empty name would address the Uninstall key itself.
    if (project_name[0] != '\0') {
        effects.DeleteUninstallKey(project_name);
    }
    app::WorkerDone = true;
}

}  // namespace uninstall
