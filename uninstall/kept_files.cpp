// Reading and writing the list of kept files, and working out what goes on
// it before an install.
#include "uninstall/kept_files.h"

#include <cstring>

#include "script/folder_placeholders.h"
#include "script/setup_script.h"
#include "support/disk_file.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/text.h"
#include "uninstall/uninstall_loop.h"
#include "uninstall/shared_record_files.h"

namespace uninstall {

namespace {

const char kRecordSuffix[] = ".dat";
const char kKeptSuffix[] = ".kept";

// Adds every target of the record at path that its project put there itself.
void AddOwnTargets(const char* path, const script::PlaceholderValues& values,
                   support::StringList* own, support::StringList* counted) {
    support::StringList targets;
    ReadRecordTargets(path, values, &targets);
    char kept_path[support::kMaxPath];
    support::StringList kept;
    bool has_list = KeptFilesPath(path, kept_path) && ReadKeptFiles(kept_path, &kept);
    for (int32_t i = 0; i < targets.Count(); ++i) {
        if (!ListHoldsPath(kept, targets.At(i))) {
            own->AppendCopy(targets.At(i));
        }
        // Only an install that kept a list counted its shared files.
        if (counted != nullptr && has_list) {
            counted->AppendCopy(targets.At(i));
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

bool KeptFilesPath(const char* record_path, char* path) {
    size_t length = std::strlen(record_path);
    if (length < sizeof kRecordSuffix - 1) {
        return false;
    }
    size_t stem = length - (sizeof kRecordSuffix - 1);
    if (!support::EqualsIgnoringCase(record_path + stem, kRecordSuffix) ||
        stem + sizeof kKeptSuffix > support::kMaxPath) {
        return false;
    }
    std::memcpy(path, record_path, stem);
    std::memcpy(path + stem, kKeptSuffix, sizeof kKeptSuffix);
    return true;
}

bool ReadKeptFiles(const char* path, support::StringList* paths) {
    support::DiskFile list(path, support::kGenericRead, support::kOpenExisting, false, true);
    if (!list.IsOpen()) {
        return false;
    }
    char line[support::kMaxPath];
    while (list.ReadLine(line, support::kMaxPath - 1)) {
        if (line[0] != '\0') {
            paths->AppendCopy(line);
        }
    }
    return true;
}

bool WriteKeptFiles(const char* path, const support::StringList& paths) {
    support::DiskFile list(path, support::kGenericWrite, support::kCreateAlways, false, true);
    bool written = list.IsOpen();
    for (int32_t i = 0; written && i < paths.Count(); ++i) {
        written = list.Write(paths.At(i), static_cast<uint32_t>(std::strlen(paths.At(i)))) &&
                  list.Write("\r\n", 2);
    }
    return list.Close() && written;
}

bool ListHoldsPath(const support::StringList& paths, const char* path) {
    for (int32_t i = 0; i < paths.Count(); ++i) {
        if (support::EqualsIgnoringCase(paths.At(i), path)) {
            return true;
        }
    }
    return false;
}

void ReadInstallOwnership(const char* script_path, const char* record_path,
                          InstallOwnership* ownership) {
    script::PlaceholderValues values;
    script::ReadPlaceholderValues(&values);
    ReadScriptTargets(script_path, &values, &ownership->targets);

    support::StringList own;
    char folder[support::kMaxPath];
    support::FolderPart(record_path, folder);
    support::FileFinder finder(kRecordPattern, folder);
    while (finder.Next()) {
        if (!finder.IsFolder()) {
            bool ours = support::EqualsIgnoringCase(finder.ItemPath(), record_path);
            AddOwnTargets(finder.ItemPath(), values, &own,
                          ours ? &ownership->counted_before : nullptr);
        }
    }
    for (int32_t i = 0; i < ownership->targets.Count(); ++i) {
        const char* target = ownership->targets.At(i);
        bool is_folder = false;
        if (support::PathExists(target, &is_folder) && !is_folder && !ListHoldsPath(own, target) &&
            !ListHoldsPath(ownership->kept, target)) {
            ownership->kept.AppendCopy(target);
        }
    }
}

}  // namespace uninstall
