// Writing the uninstall record: stub copy, script copy, banner copy and the
// entry in the system's list of installed programs.
#include <windows.h>

#include <atomic>

#include "session/install_session.h"
#include "session/install_job.h"
#include "archive/certificate_table.h"
#include "script/folder_placeholders.h"
#include "actions/install_worker.h"
#include "actions/own_keys_win.h"
#include "script/install_size.h"
#include "support/path_text.h"
#include "support/message_box.h"
#include "support/registry_values.h"
#include "support/run_log.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "uninstall/kept_files.h"
#include "actions/shared_file_counts.h"
#include "actions/system_folders.h"
#include "actions/uninstall_record_writer.h"
#include "uninstall/uninstall_record.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace actions {

namespace {

// Asked for once per run; complete only when the registry entry is written.
std::atomic<bool> g_record_asked{false};
std::atomic<bool> g_record_complete{false};

const char kUninstallKeyPattern[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s";

// A new file beside path, renamed over it once write() has filled it: it
// never passes through the user's temporary folder, and an interrupted write
// leaves the previous file whole. Returns whether the file is in place.
template <typename Write>
bool WriteBesideAndRename(const char* path, Write write) {
    char folder[support::kMaxPath];
    support::FolderPart(path, folder);
    support::AddTrailingBackslash(folder);
    support::TempPath partial(support::kPartialFilePrefix, folder);
    if (partial.Path()[0] == '\0' || !write(partial.Path()) ||
        !MoveFileExA(partial.Path(), path, MOVEFILE_REPLACE_EXISTING)) {
        return false;
    }
    partial.Keep();
    return true;
}

bool CopyUninstallerStub(char* stub_path) {
    uninstall::RecordFolder(session::Current().per_user, stub_path);
    // The user's own record folder is made with the first install into it.
    if (session::Current().per_user && stub_path[0] != '\0') {
        CreateDirectoryA(stub_path, nullptr);
    }
    if (stub_path[0] == '\0' ||
        !support::AppendText(stub_path, support::kMaxPath, "VornakUninstall.exe")) {
        return false;
    }
    return WriteBesideAndRename(stub_path, [](const char* partial) {
        if (!session::Current().job->Archive().CopyStub(partial)) {
            return false;
        }
        // A signed installer's stub still names the certificate table that
        // followed the whole installer; the copy has none.
        archive::ClearSignatureFields(partial);
        return true;
    });
}

// One more count for each file in a shared place that this project does not
// count already (a reinstall counts nothing twice), once the record that
// will let it go is in place; then the counts raised are noted.
void RaiseSharedCounts(const char* record_path, const uninstall::InstallOwnership& ownership) {
    support::StringList raised;
    for (int32_t i = 0; i < ownership.targets.Count(); ++i) {
        const char* target = ownership.targets.At(i);
        if (actions::IsInSharedPlace(target) &&
            !uninstall::ListHoldsPath(ownership.notes.counted, target) &&
            !uninstall::ListHoldsPath(raised, target) && actions::AddSharedFileCount(target)) {
            raised.AppendCopy(target);
        }
    }
    if (raised.Count() > 0) {
        uninstall::AppendNotes(record_path, uninstall::kCountedNote, raised);
    }
}

void ReportRecordNotWritten() {
    session::Current().install_failed = true;
    char text[support::kMaxPath + 96];
    support::FormatText(text, sizeof text,
                        "The uninstall information of '%s' could not be written: it cannot be "
                        "removed from the list of installed programs.",
                        session::Current().project_name);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

// The values go to ...\Uninstall\NAME under the install's own root.
class RegistryEntryWriter final : public EntryValueWriter {
  public:
    RegistryEntryWriter(HKEY root, const char* project_name) : root_(root) {
        support::FormatText(key_, sizeof key_, kUninstallKeyPattern, project_name);
    }
    bool WriteString(const char* name, const char* data) override {
        return support::WriteRegistryString(data, name, root_, key_);
    }
    bool WriteNumber(const char* name, uint32_t number) override {
        return support::WriteRegistryDword(number, name, root_, key_);
    }

  private:
    HKEY root_;
    char key_[support::kMaxPath + 64];
};

// The entry in the list of installed programs, for this run's project. The
// command lines and the icon name the stub and record as every process
// finds them: a 64-bit program (the list of programs on 64-bit Windows)
// looking in system32 would not see what this 32-bit one wrote.
bool WriteUninstallEntry(const char* installer_stub_path, const char* installer_record_path) {
    char stub_path[support::kMaxPath];
    char record_path[support::kMaxPath];
    actions::SystemPathForEveryProcess(installer_stub_path, stub_path, sizeof stub_path);
    actions::SystemPathForEveryProcess(installer_record_path, record_path, sizeof record_path);
    char script_path[support::kMaxPath];
    session::Current().job->FolderPath(script_path);
    support::AppendText(script_path, "setup.dat");
    uint64_t bytes = script::CopyFileBytes(script_path, session::Current().job->Archive());
    const session::InstallSession& run_session = session::Current();
    UninstallEntry entry = {run_session.project_name,
                            run_session.destination_folder,
                            stub_path,
                            record_path,
                            static_cast<uint32_t>(bytes / 1024),
                            run_session.per_user};
    RegistryEntryWriter writer(OwnKeysRoot(run_session), run_session.project_name);
    return WriteUninstallEntryValues(entry, writer);
}

}  // namespace

// Beyond the three values the uninstaller reads back, the values that
// Windows' list and deployment tools use: a quiet command line, an icon, a
// size, and no Modify/Repair buttons.
bool WriteUninstallEntryValues(const UninstallEntry& entry, EntryValueWriter& writer) {
    char command[1000];
    char quiet_command[1000];
    char icon[support::kMaxPath + 2];
    // Markers must come before "<uninstall>": everything after it is the
    // record path. "<CurrentUser>" tells the uninstaller whose keys to undo.
    const char* scope = entry.per_user ? "<CurrentUser>" : "";
    support::FormatText(command, sizeof command, "\"%s\" %s<uninstall>%s", entry.stub_path, scope,
                        entry.record_path);
    support::FormatText(quiet_command, sizeof quiet_command, "\"%s\" <Silent>%s<uninstall>%s",
                        entry.stub_path, scope, entry.record_path);
    support::FormatText(icon, sizeof icon, "\"%s\"", entry.stub_path);
    return writer.WriteString("UninstallString", command) &&
           writer.WriteString("QuietUninstallString", quiet_command) &&
           writer.WriteString("InstallTo", entry.install_folder) &&
           writer.WriteString("DisplayIcon", icon) &&
           writer.WriteNumber("EstimatedSize", entry.size_kb) &&
           writer.WriteNumber("NoModify", 1) && writer.WriteNumber("NoRepair", 1) &&
           writer.WriteString("DisplayName", entry.display_name);
}

void ForgetRecordWritten() {
    g_record_asked = false;
    g_record_complete = false;
}

bool UninstallRecordWritten() {
    return g_record_complete;
}

void WriteUninstallRecord(RunRecord* run_record) {
    if (g_record_asked) {
        return;
    }
    g_record_asked = true;
    if (session::Current().project_name[0] == '\0' ||
        !uninstall::ProjectNameFitsRecord(session::Current().project_name) ||
        session::Current().job == nullptr) {
        return;
    }
    char job_folder[support::kMaxPath];
    session::Current().job->FolderPath(job_folder);
    char script_path[support::kMaxPath];
    support::CopyText(script_path, job_folder);
    support::AppendText(script_path, "setup.dat");
    char stub_path[support::kMaxPath];
    char record_path[support::kMaxPath];
    uninstall::RecordPath(record_path);
    if (record_path[0] == '\0') {
        ReportRecordNotWritten();
        return;
    }
    // Read before the record is replaced, since the earlier one says which
    // files this project put there itself.
    uninstall::InstallOwnership& ownership = run_record->ownership;
    uninstall::ReadInstallOwnership(script_path, record_path, &ownership);
    // An entry in the list of installed programs that starts no uninstaller,
    // or one without its record, would remove nothing: the entry is written
    // only once both are in place. The record and its notes are one file, so
    // a record that cannot be replaced leaves the earlier one whole, notes
    // and all.
    bool in_place =
        CopyUninstallerStub(stub_path) &&
        WriteBesideAndRename(record_path, [&script_path, &ownership](const char* partial) {
            return uninstall::CopyScriptIntoRecord(
                script_path, partial, session::Current().destination_folder, ownership.notes);
        });
    if (!in_place) {
        ReportRecordNotWritten();
        return;
    }
    support::CopyText(run_record->path, record_path);
    // The counts are the machine's (HKLM), and an install for one user puts
    // nothing in the places they count.
    if (!session::Current().per_user) {
        RaiseSharedCounts(record_path, ownership);
    }

    char banner_path[support::kMaxPath];
    support::CopyText(banner_path, job_folder);
    support::AppendText(banner_path, "setup.bmp");
    char record_banner[support::kMaxPath];
    uninstall::RecordBitmapPath(record_banner);
    CopyFileA(banner_path, record_banner, FALSE);

    if (!WriteUninstallEntry(stub_path, record_path)) {
        ReportRecordNotWritten();
        return;
    }
    support::LogLine("uninstall record written: %s", record_path);
    support::LogLine("uninstall entry written: %s", session::Current().project_name);
    g_record_complete = true;
}

bool NoteTargetBeforeWriting(RunRecord* run_record, const char* target) {
    if (run_record->path[0] == '\0') {
        return true;
    }
    uninstall::InstallOwnership& ownership = run_record->ownership;
    if (uninstall::IsFoundInPlace(ownership, target)) {
        if (!uninstall::AppendNote(run_record->path, uninstall::kKeptNote, target)) {
            ReportRecordNotWritten();
            return false;
        }
        ownership.notes.kept.AppendCopy(target);
    }
    // What this run writes is its own from now on: a second [CopyFile] of
    // the same target finds the first one's file, not one found in place.
    ownership.own.AppendCopy(target);
    return true;
}

}  // namespace actions
