// The targets of the other projects' records.
#include "uninstall/shared_record_files.h"

#include <cstring>

#include "support/folders.h"
#include "support/path_text.h"
#include "support/text.h"

namespace uninstall {

int PlaceholderRow(const char* token) {
    for (int row = 0; row < script::kPlaceholderCount; ++row) {
        if (std::strcmp(script::kPlaceholderTokens[row], token) == 0) {
            return row;
        }
    }
    return -1;
}

bool RecordedInstallFolder(const char* record_path, char* folder) {
    script::SetupScript record(record_path);
    bool found = false;
    while (record.NextLine()) {
        if (record.AtHead(script::kInstallToHead)) {
            char line[script::LineCapacity(script::kRecordedFolderLimit)];
            record.ReadValue(line, script::kRecordedFolderLimit);
            found = support::CopyText(folder, support::kMaxPath, line);
        }
    }
    return found;
}

bool ExpandValuePath(const char* line, script::PlaceholderValues* values, char* path) {
    if (!support::CopyText(path, support::kMaxPath, line)) {
        return false;
    }
    script::ExpandWithValues(path, support::kMaxPath, values);
    return std::strchr(path, '<') == nullptr && support::IsAbsolutePath(path);
}

SharedFiles::SharedFiles(const char* record_path, UninstallActions& effects,
                         const script::PlaceholderValues* values)
    : record_path_(record_path), effects_(effects), values_(values) {}

bool SharedFiles::IsShared(const char* target) {
    if (!read_) {
        read_ = true;
        ReadOtherRecords();
    }
    for (int32_t i = 0; i < targets_.Count(); ++i) {
        if (effects_.SamePath(targets_.At(i), target)) {
            return true;
        }
    }
    return false;
}

void SharedFiles::ReadOtherRecords() {
    char folder[support::kMaxPath];
    support::FolderPart(record_path_, folder);
    support::FileFinder finder(kRecordPattern, folder);
    while (finder.Next()) {
        if (!finder.IsFolder() && !effects_.SamePath(finder.ItemPath(), record_path_)) {
            ReadOtherRecord(finder.ItemPath());
        }
    }
}

void SharedFiles::ReadOtherRecord(const char* path) {
    InstallNotes notes;
    bool has_notes = ReadInstallNotes(path, &notes);
    ReadRecordTargets(path, *values_, has_notes ? &notes : nullptr, &targets_);
}

void ReadRecordTargets(const char* path, const script::PlaceholderValues& our_values,
                       const InstallNotes* notes, support::StringList* targets) {
    script::PlaceholderValues values = our_values;
    int destination = PlaceholderRow("<Destination>");
    if (destination >= 0 && RecordedInstallFolder(path, values.text[destination])) {
        values.present[destination] = true;
    } else {
        values = our_values;
    }
    if (notes != nullptr) {
        UseNotedUserFolders(*notes, &values);
    }
    script::SetupScript record(path);
    script::SectionValues section;
    while (record.NextLine()) {
        char target[support::kMaxPath];
        if (record.ReadSectionAt(script::kCopyFileHead, &section) &&
            ExpandValuePath(section.Line(1), &values, target)) {
            targets->AppendCopy(target);
        }
    }
}

}  // namespace uninstall
