// Working out which files an install finds in place.
#include "uninstall/kept_files.h"

#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/text.h"
#include "uninstall/shared_record_files.h"
#include "uninstall/uninstall_loop.h"

namespace uninstall {

namespace {

// Adds every target of the record at path that its project put there itself.
void AddOwnTargets(const char* path, const InstallNotes* notes,
                   const script::PlaceholderValues& values, support::StringList* own) {
    support::StringList targets;
    ReadRecordTargets(path, values, notes, &targets);
    for (int32_t i = 0; i < targets.Count(); ++i) {
        if (notes == nullptr || !ListHoldsPath(notes->kept, targets.At(i))) {
            own->AppendCopy(targets.At(i));
        }
    }
}

void ReadScriptTargets(const char* script_path, script::PlaceholderValues* values,
                       support::StringList* targets) {
    script::SetupScript script(script_path);
    script::SectionValues section;
    while (script.NextLine()) {
        char target[support::kMaxPath];
        if (script.ReadSectionAt(script::kCopyFileHead, &section) &&
            ExpandValuePath(section.Line(1), values, target)) {
            targets->AppendCopy(target);
        }
    }
}

}  // namespace

bool ListHoldsPath(const support::StringList& paths, const char* path) {
    return paths.HoldsIgnoringCase(path);
}

void ReadInstallOwnership(const char* script_path, const char* record_path,
                          InstallOwnership* ownership) {
    script::PlaceholderValues values;
    script::ReadPlaceholderValues(&values);
    ReadScriptTargets(script_path, &values, &ownership->targets);
    NoteUserFolders(values, &ownership->notes);

    char folder[support::kMaxPath];
    support::FolderPart(record_path, folder);
    support::FileFinder finder(kRecordPattern, folder);
    while (finder.Next()) {
        if (finder.IsFolder()) {
            continue;
        }
        InstallNotes notes;
        bool has_notes = ReadInstallNotes(finder.ItemPath(), &notes);
        AddOwnTargets(finder.ItemPath(), has_notes ? &notes : nullptr, values, &ownership->own);
        if (has_notes && support::EqualsIgnoringCase(finder.ItemPath(), record_path)) {
            // The counts the earlier install holds stay held by the new record.
            for (int32_t i = 0; i < notes.counted.Count(); ++i) {
                if (HoldsCount(notes, notes.counted.At(i))) {
                    ownership->notes.counted.AppendCopy(notes.counted.At(i));
                }
            }
        }
    }
    for (int32_t i = 0; i < ownership->targets.Count(); ++i) {
        const char* target = ownership->targets.At(i);
        if (IsFoundInPlace(*ownership, target)) {
            ownership->notes.kept.AppendCopy(target);
        }
    }
}

bool IsFoundInPlace(const InstallOwnership& ownership, const char* target) {
    bool is_folder = false;
    return support::PathExists(target, &is_folder) && !is_folder &&
           !ListHoldsPath(ownership.own, target) && !ListHoldsPath(ownership.notes.kept, target);
}

}  // namespace uninstall
