// The uninstall worker's loop over the record.
#include "uninstall/uninstall_loop.h"

#include <cstring>

#include "session/install_session.h"
#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/path_text.h"
#include "support/progress_state.h"
#include "support/string_list.h"
#include "support/text.h"
#include "uninstall/install_notes.h"
#include "uninstall/kept_files.h"
#include "uninstall/shared_record_files.h"

namespace uninstall {

namespace {

using script::SectionValues;
using script::SetupScript;

// "<Destination>" stands for the folder the registry names. Where that is
// missing or not absolute, the record's own line after "[Install To]" says
// where the files went. With neither, the token stays as written, so every
// path that depends on it fails ExpandValuePath and is left alone: an empty
// folder would turn "<Destination>\bin\x.dll" into "\bin\x.dll", a file
// at the root of whatever drive is current.
void ResolveInstallFolder(const char* record_path, script::PlaceholderValues* values) {
    int row = PlaceholderRow("<Destination>");
    char* folder = values->text[row];
    if (values->present[row] && support::IsAbsolutePath(folder)) {
        return;
    }
    values->present[row] =
        RecordedInstallFolder(record_path, folder) && support::IsAbsolutePath(folder);
    if (!values->present[row]) {
        folder[0] = '\0';
    }
}

struct RunState {
    RunState(const char* run_record_path, const script::PlaceholderValues& run_values,
             UninstallActions& run_effects)
        : record_path(run_record_path),
          effects(run_effects),
          values(run_values),
          shared(run_record_path, run_effects, &values) {
        ResolveInstallFolder(record_path, &values);
        has_notes = ReadInstallNotes(record_path, &notes);
        // Per-user paths mean the folders of whoever installed, never those
        // of whoever uninstalls.
        if (has_notes) {
            UseNotedUserFolders(notes, &values);
        }
    }

    const char* record_path;
    UninstallActions& effects;
    script::PlaceholderValues values;
    int total = 0;
    int done = 0;
    support::StringList deletions;
    SharedFiles shared;
    // What the install noted. A record without notes comes from an installer
    // that kept no files and counted no shared files.
    InstallNotes notes;
    bool has_notes = false;
    // The counts this project still holds, let go once every action has run.
    support::StringList releases;
    SectionValues section;  // the section being read
};

// Whether a count other than this project's holds target. The counts are
// only read here: they go down after every [UninstallAction] has run, once
// that is noted, so that an uninstall killed while a program runs, and run
// again, lowers nothing twice.
bool HeldElsewhere(RunState& run, const char* target) {
    if (!run.has_notes) {
        return false;
    }
    bool ours = HoldsCount(run.notes, target);
    if (ours) {
        run.releases.AppendCopy(target);
    }
    return run.effects.SharedCount(target) > (ours ? 1u : 0u);
}

void HandleCopyFile(RunState& run) {
    char target[support::kMaxPath];
    if (!ExpandValuePath(run.section.Line(1), &run.values, target)) {
        return;
    }
    if (HeldElsewhere(run, target) || run.shared.IsShared(target) ||
        ListHoldsPath(run.notes.kept, target)) {
        return;
    }
    // Unregistered before any file goes: the library must still be there.
    run.effects.UnregisterSelfRegisteringFile(target);
    run.deletions.AppendCopy(target);
}

void HandleCreateIcon(RunState& run) {
    char link[support::kMaxPath];
    if (ExpandValuePath(run.section.Line(1), &run.values, link)) {
        run.deletions.AppendCopy(link);
    }
}

void HandleUninstallAction(RunState& run) {
    // Not paths to delete: they go to the program start as they are, which
    // reports what it cannot start. Each grows no longer than its line may be.
    const uint32_t* limits = run.section.layout->limits;
    char* path = run.section.Line(0);
    char* parameters = run.section.Line(1);
    script::ExpandWithValues(path, limits[0] + 1, &run.values);
    script::ExpandWithValues(parameters, limits[1] + 1, &run.values);
    // Without a known install folder the token stays: the program would be
    // looked for, or told to work, somewhere the installation never was.
    if (std::strstr(path, "<Destination>") != nullptr ||
        std::strstr(parameters, "<Destination>") != nullptr) {
        return;
    }
    run.effects.RunUninstallAction(path, parameters);
}

// Every uninstall action runs here, in record order, before any file goes.
void ReadRecord(SetupScript& record, RunState& run) {
    SectionValues& section = run.section;
    while (record.NextLine()) {
        if (record.ReadSectionAt(script::kCopyFileHead, &section)) {
            HandleCopyFile(run);
        } else if (record.ReadSectionAt(script::kCreateIconHead, &section,
                                        script::OptionalLine::kLeftAsLine)) {
            HandleCreateIcon(run);
        } else if (record.ReadSectionAt(script::kUninstallActionHead, &section)) {
            HandleUninstallAction(run);
        }
    }
}

// The highest folder that emptied folders above path may be removed up to:
// the install folder itself, or the group folder that a shortcut (or file)
// made directly below one of the shell folders. Anything higher was there
// before the installation (C:\Program Files, the start menu, a drive's
// root), and a path in neither place removes no folder at all.
bool RemovalTop(const RunState& run, const char* path, char* top) {
    int install = PlaceholderRow("<Destination>");
    if (run.values.present[install] && support::IsAtOrBelowFolder(path, run.values.text[install])) {
        support::CopyText(top, support::kMaxPath, run.values.text[install]);
        return true;
    }
    static const char* const kShellTokens[] = {"<Start Programs>", "<Startup>", "<DeskTop>"};
    for (const char* token : kShellTokens) {
        int row = PlaceholderRow(token);
        const char* shell = run.values.text[row];
        if (!run.values.present[row] || !support::IsAbsolutePath(shell) ||
            !support::IsAtOrBelowFolder(path, shell)) {
            continue;
        }
        size_t length = std::strlen(shell);
        while (length > 0 && shell[length - 1] == '\\') {
            --length;
        }
        // path is the shell folder itself, or directly in it: no group folder.
        const char* group_end =
            path[length] == '\0' ? nullptr : std::strchr(path + length + 1, '\\');
        if (group_end == nullptr) {
            return false;
        }
        support::CopyText(top, static_cast<size_t>(group_end - path) + 1, path);
        return true;
    }
    return false;
}

void RemoveOne(RunState& run, const char* path) {
    UninstallActions& effects = run.effects;
    if (effects.PathExists(path) && !effects.DeleteFileAt(path)) {
        // In use, read-only or not ours to delete: Windows takes it away as
        // it starts next time, and the user is offered the restart, unless
        // the system would not even record that.
        if (effects.ScheduleDeleteAtRestart(path)) {
            session::Current().uninstall_restart_needed = true;
        } else {
            session::Current().uninstall_incomplete = true;
        }
    }
    effects.RemoveAppPathsEntry(path);
    const char* last_backslash = std::strrchr(path, '\\');
    char top[support::kMaxPath];
    if (last_backslash != nullptr && RemovalTop(run, path, top)) {
        char folder[support::kMaxPath];
        support::CopyText(folder, static_cast<size_t>(last_backslash - path) + 1, path);
        RemoveEmptyFolders(folder, top, effects);
    }
    ++run.done;
    support::ProgressGuard guard;
    support::ProgressState.file_number = run.done;
    support::ProgressState.file_count = run.total;
    support::ProgressState.changed = true;
}

// Lowers the counts this project holds, noted first. Where the note cannot
// be written no count goes down: one left too high keeps a file, one
// lowered twice would lose another product's.
void ReleaseCounts(RunState& run) {
    if (run.releases.Count() == 0 || !AppendNotes(run.record_path, kReleasedNote, run.releases)) {
        return;
    }
    for (int32_t i = 0; i < run.releases.Count(); ++i) {
        run.effects.ReleaseSharedCount(run.releases.At(i));
    }
}

void UndoInstallation(const char* record_path, RunState& run) {
    {
        SetupScript record(record_path);
        if (!record.IsOpen()) {
            return;
        }
        run.total = record.CountHeads(script::kCopyFileHead);
        ReadRecord(record, run);
    }
    ReleaseCounts(run);
    for (int32_t i = 0; i < run.deletions.Count(); ++i) {
        RemoveOne(run, run.deletions.At(i));
    }
}

}  // namespace

void RemoveEmptyFolders(const char* folder, const char* top, UninstallActions& effects) {
    char path[support::kMaxPath];
    support::CopyText(path, folder);
    // "C:" or "C:\" is a drive (or its current folder), never ours to remove.
    while (std::strlen(path) >= 4 && support::IsAtOrBelowFolder(path, top)) {
        effects.RemoveFolder(path);
        char* last_backslash = std::strrchr(path, '\\');
        if (last_backslash == nullptr) {
            return;
        }
        *last_backslash = '\0';
    }
}

void RunUninstallRecord(const char* record_path, const char* bitmap_path, const char* project_name,
                        const script::PlaceholderValues& values, UninstallActions& effects) {
    {
        RunState run(record_path, values, effects);
        UndoInstallation(record_path, run);
    }
    effects.DeleteFileAt(record_path);
    effects.DeleteFileAt(bitmap_path);
    // An empty name would address the Uninstall key itself.
    if (project_name[0] != '\0') {
        effects.DeleteUninstallKey(project_name);
    }
    session::Current().worker_done = true;
}

void RunUninstallRecord(const char* record_path, const char* bitmap_path, const char* project_name,
                        UninstallActions& effects) {
    // Read once: nothing they depend on changes while the record is undone.
    script::PlaceholderValues values;
    script::ReadPlaceholderValues(&values);
    RunUninstallRecord(record_path, bitmap_path, project_name, values, effects);
}

}  // namespace uninstall
