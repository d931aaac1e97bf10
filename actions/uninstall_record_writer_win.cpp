// Writing the uninstall record: stub copy, script copy, banner copy and the
// entry in the system's list of installed programs.
#include <windows.h>

#include <atomic>

#include "session/install_session.h"
#include "session/install_job.h"
#include "archive/certificate_table.h"
#include "script/folder_placeholders.h"
#include "actions/install_worker.h"
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
    support::CopyText(stub_path, support::kMaxPath, "<System>VornakUninstall.exe");
    script::ExpandFolderPlaceholders(stub_path);
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

// Before the record is replaced, since the earlier one says which files this
// project put there itself: the list of files found in place that must stay,
// and one more count for each file in a shared place that this project did
// not count already (a reinstall counts nothing twice).
bool KeepFilesFoundInPlace(const char* script_path, const char* record_path) {
    uninstall::InstallOwnership ownership;
    uninstall::ReadInstallOwnership(script_path, record_path, &ownership);
    char kept_path[support::kMaxPath];
    if (!uninstall::KeptFilesPath(record_path, kept_path) ||
        !WriteBesideAndRename(kept_path, [&ownership](const char* partial) {
            return uninstall::WriteKeptFiles(partial, ownership.kept);
        })) {
        return false;
    }
    for (int32_t i = 0; i < ownership.targets.Count(); ++i) {
        const char* target = ownership.targets.At(i);
        if (actions::IsInSharedPlace(target) &&
            !uninstall::ListHoldsPath(ownership.counted_before, target)) {
            actions::AddSharedFileCount(target);
        }
    }
    return true;
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

// The entry in the list of installed programs. Beyond the three values the
// uninstaller reads back, the values that Windows' list and deployment tools
// use: a quiet command line, an icon, a size, and no Modify/Repair buttons.
// The command lines and the icon name the stub and record as every
// process finds them: a 64-bit program (the list of programs on 64-bit
// Windows) looking in system32 would not see what this 32-bit one wrote.
void WriteUninstallEntry(const char* installer_stub_path, const char* installer_record_path) {
    char stub_path[support::kMaxPath];
    char record_path[support::kMaxPath];
    actions::SystemPathForEveryProcess(installer_stub_path, stub_path, sizeof stub_path);
    actions::SystemPathForEveryProcess(installer_record_path, record_path, sizeof record_path);
    char key[support::kMaxPath + 64];
    support::FormatText(key, sizeof key, kUninstallKeyPattern, session::Current().project_name);
    char command[1000];
    support::FormatText(command, sizeof command, "\"%s\" <uninstall>%s", stub_path, record_path);
    support::WriteRegistryString(session::Current().project_name, "DisplayName", HKEY_LOCAL_MACHINE,
                                 key);
    support::WriteRegistryString(command, "UninstallString", HKEY_LOCAL_MACHINE, key);
    support::WriteRegistryString(session::Current().destination_folder, "InstallTo",
                                 HKEY_LOCAL_MACHINE, key);

    // "<Silent>" must come before "<uninstall>": everything after the marker
    // is the record path.
    support::FormatText(command, sizeof command, "\"%s\" <Silent><uninstall>%s", stub_path,
                        record_path);
    support::WriteRegistryString(command, "QuietUninstallString", HKEY_LOCAL_MACHINE, key);
    support::FormatText(command, sizeof command, "\"%s\"", stub_path);
    support::WriteRegistryString(command, "DisplayIcon", HKEY_LOCAL_MACHINE, key);
    char script_path[support::kMaxPath];
    session::Current().job->FolderPath(script_path);
    support::AppendText(script_path, "setup.dat");
    uint64_t bytes = script::CopyFileBytes(script_path, session::Current().job->Archive());
    support::WriteRegistryDword(static_cast<DWORD>(bytes / 1024), "EstimatedSize",
                                HKEY_LOCAL_MACHINE, key);
    support::WriteRegistryDword(1, "NoModify", HKEY_LOCAL_MACHINE, key);
    support::WriteRegistryDword(1, "NoRepair", HKEY_LOCAL_MACHINE, key);
}

}  // namespace

void ForgetRecordWritten() {
    g_record_asked = false;
    g_record_complete = false;
}

bool UninstallRecordWritten() {
    return g_record_complete;
}

void WriteUninstallRecord() {
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
    // An entry in the list of installed programs that starts no uninstaller,
    // or one without its record, would remove nothing: the entry is written
    // only once both are in place.
    bool in_place = CopyUninstallerStub(stub_path) &&
                    KeepFilesFoundInPlace(script_path, record_path) &&
                    WriteBesideAndRename(record_path, [&script_path](const char* partial) {
                        return uninstall::CopyScriptIntoRecord(
                            script_path, partial, session::Current().destination_folder);
                    });
    if (!in_place) {
        ReportRecordNotWritten();
        return;
    }

    char banner_path[support::kMaxPath];
    support::CopyText(banner_path, job_folder);
    support::AppendText(banner_path, "setup.bmp");
    char record_banner[support::kMaxPath];
    uninstall::RecordBitmapPath(record_banner);
    CopyFileA(banner_path, record_banner, FALSE);

    WriteUninstallEntry(stub_path, record_path);
    support::LogLine("uninstall record written: %s", record_path);
    support::LogLine("uninstall entry written: %s", session::Current().project_name);
    g_record_complete = true;
}

}  // namespace actions
