// Reading and writing the install's notes.
#include "uninstall/install_notes.h"

#include <cstring>

#include "script/setup_script.h"
#include "support/path_text.h"
#include "support/text.h"
#include "uninstall/kept_files.h"
#include "uninstall/shared_record_files.h"

namespace uninstall {

const char* const kUserFolderTokens[kUserFolderCount] = {"<DeskTop>", "<Startup>",
                                                         "<Start Programs>"};

namespace {

// The most value lines a section takes: after as many empty lines no
// section of the script is still being read.
constexpr int kSeparatingLines = script::kMostValueLines;

bool StartsWith(const char* text, const char* prefix, const char** rest) {
    size_t length = std::strlen(prefix);
    if (std::strncmp(text, prefix, length) != 0) {
        return false;
    }
    *rest = text + length;
    return true;
}

void ReadNote(const char* line, InstallNotes* notes) {
    const char* rest = nullptr;
    if (StartsWith(line, kKeptNote, &rest)) {
        notes->kept.AppendCopy(rest);
    } else if (StartsWith(line, kCountedNote, &rest)) {
        notes->counted.AppendCopy(rest);
    } else if (StartsWith(line, kReleasedNote, &rest)) {
        notes->released.AppendCopy(rest);
    } else {
        for (int i = 0; i < kUserFolderCount; ++i) {
            if (StartsWith(line, kUserFolderTokens[i], &rest)) {
                support::CopyText(notes->user_folders[i], rest);
            }
        }
    }
}

void ForgetNotes(InstallNotes* notes) {
    for (auto& folder : notes->user_folders) {
        folder[0] = '\0';
    }
    notes->kept.ClearAll();
    notes->counted.ClearAll();
    notes->released.ClearAll();
}

bool WriteNote(support::DiskFile& record, const char* kind, const char* path) {
    char line[support::kMaxPath + 32];
    support::CopyText(line, kind);
    return support::AppendText(line, path) && support::AppendText(line, "\r\n") &&
           record.Write(line, static_cast<uint32_t>(std::strlen(line)));
}

bool WriteNotes(support::DiskFile& record, const char* kind, const support::StringList& paths) {
    for (int32_t i = 0; i < paths.Count(); ++i) {
        if (!WriteNote(record, kind, paths.At(i))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReadInstallNotes(const char* record_path, InstallNotes* notes) {
    // Read as every reader of the record reads it: as program text.
    script::SetupScript record(record_path);
    bool found = false;
    while (record.NextLine()) {
        if (record.AtHead(kInstallNotesHead)) {
            ForgetNotes(notes);
            found = true;
        } else if (found) {
            ReadNote(record.Line(), notes);
        }
    }
    return found;
}

bool WriteInstallNotes(support::DiskFile& record, const InstallNotes& notes) {
    for (int i = 0; i < kSeparatingLines; ++i) {
        if (!record.Write("\r\n", 2)) {
            return false;
        }
    }
    if (!record.Write(kInstallNotesHead, sizeof kInstallNotesHead - 1) ||
        !record.Write("\r\n", 2)) {
        return false;
    }
    for (int i = 0; i < kUserFolderCount; ++i) {
        if (notes.user_folders[i][0] != '\0' &&
            !WriteNote(record, kUserFolderTokens[i], notes.user_folders[i])) {
            return false;
        }
    }
    return WriteNotes(record, kKeptNote, notes.kept) &&
           WriteNotes(record, kCountedNote, notes.counted) &&
           WriteNotes(record, kReleasedNote, notes.released);
}

bool AppendNotes(const char* record_path, const char* kind, const support::StringList& paths) {
    support::DiskFile record(record_path, support::DiskFile::kWrite);
    uint64_t size = record.Size();
    if (!record.IsOpen() || size > 0x7FFFFFFFu) {
        return false;
    }
    record.Seek(static_cast<int32_t>(size));
    // A line that a power cut left without its end must not swallow the
    // first note.
    bool written = record.Write("\r\n", 2) && WriteNotes(record, kind, paths) && record.Flush();
    return record.Close() && written;
}

bool AppendNote(const char* record_path, const char* kind, const char* path) {
    support::StringList paths;
    return paths.AppendCopy(path) && AppendNotes(record_path, kind, paths);
}

void NoteUserFolders(const script::PlaceholderValues& values, InstallNotes* notes) {
    for (int i = 0; i < kUserFolderCount; ++i) {
        int row = PlaceholderRow(kUserFolderTokens[i]);
        notes->user_folders[i][0] = '\0';
        if (values.present[row] && support::IsAbsolutePath(values.text[row])) {
            support::CopyText(notes->user_folders[i], values.text[row]);
        }
    }
}

void UseNotedUserFolders(const InstallNotes& notes, script::PlaceholderValues* values) {
    for (int i = 0; i < kUserFolderCount; ++i) {
        int row = PlaceholderRow(kUserFolderTokens[i]);
        support::CopyText(values->text[row], notes.user_folders[i]);
        values->present[row] = notes.user_folders[i][0] != '\0';
    }
}

bool HoldsCount(const InstallNotes& notes, const char* path) {
    return ListHoldsPath(notes.counted, path) && !ListHoldsPath(notes.released, path);
}

}  // namespace uninstall
