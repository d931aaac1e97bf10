// Record names, the script copy and the previous-folder lookup.
#include "uninstall/uninstall_record.h"

#include <cstring>

#include "session/install_session.h"
#include "script/folder_placeholders.h"
#include "script/folder_values.h"
#include "script/setup_script.h"
#include "support/disk_file.h"
#include "support/program_text.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace uninstall {

namespace {

// Every line is copied whole as the head test reads it.
constexpr uint32_t kLineLimit = script::kLongLineLimit;

void NamedRecordPath(const char* pattern, char* path) {
    char folder[support::kMaxPath];
    RecordFolder(session::Current().per_user, folder);
    char name[support::kMaxPath];
    // A name that does not fit leaves no path: a cut one would name
    // another project's record.
    int length = support::FormatText(name, sizeof name, pattern, session::Current().project_name);
    if ((session::Current().per_user && folder[0] == '\0') || length < 0 ||
        static_cast<size_t>(length) >= sizeof name ||
        !support::CopyText(path, support::kMaxPath, folder) ||
        !support::AppendText(path, support::kMaxPath, name)) {
        path[0] = '\0';
    }
}

// One write per line: the record copies the whole script, and under Wine
// every write is a trip to the server.
bool WriteLine(support::DiskFile& file, const char* line) {
    char bytes[kLineLimit + 3];
    size_t length = std::strlen(line);
    if (length > kLineLimit) {
        return file.Write(line, static_cast<uint32_t>(length)) && file.Write("\r\n", 2);
    }
    std::memcpy(bytes, line, length);
    std::memcpy(bytes + length, "\r\n", 2);
    return file.Write(bytes, static_cast<uint32_t>(length + 2));
}

}  // namespace

bool ProjectNameFitsRecord(const char* name) {
    return std::strpbrk(name, "\\/:") == nullptr && std::strstr(name, "..") == nullptr;
}

void RecordFolder(bool per_user, char* folder) {
    if (!per_user) {
        support::CopyText(folder, support::kMaxPath, "<System>");
        script::ExpandFolderPlaceholders(folder);
        return;
    }
    script::ReadLocalAppDataFolder("\\VornakUninstall\\", folder);
}

void RecordPath(char* path) {
    NamedRecordPath("VornakUninstall-%s.dat", path);
}

void RecordBitmapPath(char* path) {
    NamedRecordPath("VornakUninstall-%s.bmp", path);
}

bool CopyScriptIntoRecord(const char* script_path, const char* record_path, const char* folder,
                          const InstallNotes& notes) {
    script::SetupScript script(script_path);
    if (!script.IsOpen()) {
        return false;
    }
    support::DiskFile record(record_path,
                             support::DiskFile::kWrite | support::DiskFile::kCreateEmpty);
    if (!record.IsOpen()) {
        return false;
    }
    // The record holds program text, whatever the script's encoding: the
    // folder and the notes added to it are program text. The signature
    // tells the uninstaller that this is UTF-8; an older Windows, where
    // program text is the system's code page, writes none, as always.
    bool written = !support::ProgramTextIsUtf8() ||
                   record.Write(support::kUtf8Signature, sizeof support::kUtf8Signature - 1);
    while (written && script.NextLine()) {
        written = WriteLine(record, script.Line());
        if (written && script.AtHead(script::kInstallToHead)) {
            // The proposed folder gives way to the one actually used.
            char proposed[script::LineCapacity(kLineLimit)];
            script.ReadValue(proposed, kLineLimit);
            written = WriteLine(record, folder);
        }
    }
    written = written && WriteInstallNotes(record, notes) && record.Flush();
    return record.Close() && written;
}

void ReadPreviousInstallFolder() {
    char path[support::kMaxPath];
    RecordPath(path);
    script::SetupScript record(path);
    char line[script::LineCapacity(script::kRecordedFolderLimit)];
    while (record.NextLine()) {
        if (record.AtHead(script::kInstallToHead) &&
            record.ReadValue(line, script::kRecordedFolderLimit)) {
            support::CopyText(session::Current().destination_folder, line);
        }
    }
}

}  // namespace uninstall
