// Writing the uninstall record: stub copy, script copy, banner copy and the
// entry in the system's list of installed programs.
#include <windows.h>

#include "app/app_state.h"
#include "app/install_job.h"
#include "archive/certificate_table.h"
#include "script/folder_placeholders.h"
#include "script/install_size.h"
#include "support/registry_values.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "uninstall/uninstall_record.h"
#include "support/text_format.h"

namespace uninstall {

namespace {

bool g_record_written = false;

const char kUninstallKeyPattern[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s";

void CopyUninstallerStub(char* stub_path) {
    support::TempPath stub("Ins");
    app::CurrentJob->Archive().CopyStub(stub.Path());
    // A signed installer's stub still names the certificate table that
    // followed the whole installer; the copy has none.
    archive::ClearSignatureFields(stub.Path());
    support::CopyText(stub_path, support::kMaxPath, "<System>VornakUninstall.exe");
    script::ExpandFolderPlaceholders(stub_path);
    CopyFileA(stub.Path(), stub_path, FALSE);
}

// The entry in the list of installed programs. Beyond the three values the
// uninstaller reads back, the values that Windows' list and deployment tools
// use: a quiet command line, an icon, a size, and no Modify/Repair buttons.
void WriteUninstallEntry(const char* stub_path, const char* record_path) {
    char key[support::kMaxPath + 64];
    support::FormatText(key, sizeof key, kUninstallKeyPattern, app::ProjectName);
    char command[1000];
    support::FormatText(command, sizeof command, "\"%s\" <uninstall>%s", stub_path, record_path);
    support::WriteRegistryString(app::ProjectName, "DisplayName", HKEY_LOCAL_MACHINE, key);
    support::WriteRegistryString(command, "UninstallString", HKEY_LOCAL_MACHINE, key);
    support::WriteRegistryString(app::DestinationFolder, "InstallTo", HKEY_LOCAL_MACHINE, key);

    // "<Silent>" must come before "<uninstall>": everything after the marker
    // is the record path.
    support::FormatText(command, sizeof command, "\"%s\" <Silent><uninstall>%s", stub_path,
                        record_path);
    support::WriteRegistryString(command, "QuietUninstallString", HKEY_LOCAL_MACHINE, key);
    support::FormatText(command, sizeof command, "\"%s\"", stub_path);
    support::WriteRegistryString(command, "DisplayIcon", HKEY_LOCAL_MACHINE, key);
    char script_path[support::kMaxPath];
    app::CurrentJob->FolderPath(script_path);
    support::AppendText(script_path, "setup.dat");
    uint64_t bytes = script::CopyFileBytes(script_path, app::CurrentJob->Archive());
    support::WriteRegistryDword(static_cast<DWORD>(bytes / 1024), "EstimatedSize",
                                HKEY_LOCAL_MACHINE, key);
    support::WriteRegistryDword(1, "NoModify", HKEY_LOCAL_MACHINE, key);
    support::WriteRegistryDword(1, "NoRepair", HKEY_LOCAL_MACHINE, key);
}

}  // namespace

void ForgetRecordWritten() {
    g_record_written = false;
}

void WriteUninstallRecord() {
    if (g_record_written) {
        return;
    }
    g_record_written = true;
    if (app::ProjectName[0] == '\0' || app::CurrentJob == nullptr) {
        return;
    }
    char stub_path[support::kMaxPath];
    CopyUninstallerStub(stub_path);

    char job_folder[support::kMaxPath];
    app::CurrentJob->FolderPath(job_folder);
    char script_path[support::kMaxPath];
    support::CopyText(script_path, job_folder);
    support::AppendText(script_path, "setup.dat");
    char record_path[support::kMaxPath];
    RecordPath(record_path);
    CopyScriptIntoRecord(script_path, record_path, app::DestinationFolder);

    char banner_path[support::kMaxPath];
    support::CopyText(banner_path, job_folder);
    support::AppendText(banner_path, "setup.bmp");
    char record_banner[support::kMaxPath];
    RecordBitmapPath(record_banner);
    CopyFileA(banner_path, record_banner, FALSE);

    WriteUninstallEntry(stub_path, record_path);
}

}  // namespace uninstall
