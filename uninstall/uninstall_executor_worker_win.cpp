// The uninstall worker's effects through Win32.
#include "uninstall/uninstall_executor_worker.h"

#include <windows.h>

#include "app/app_state.h"
#include "script/file_version.h"
#include "script/registry_actions.h"
#include "script/restart_file_ops.h"
#include "script/run_program.h"
#include "script/self_registration.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/text.h"
#include "uninstall/shared_file_counts.h"
#include "uninstall/uninstall_executor.h"

namespace uninstall {

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class Win32UninstallEffects : public UninstallEffects {
  public:
    bool SamePath(const char* a, const char* b) override {
        return support::EqualsIgnoringCase(a, b);
    }
    void UnregisterSelfRegisteringFile(const char* path) override {
        uninstall::UnregisterSelfRegisteringFile(path);
    }
    void RunUninstallAction(const char* path, const char* parameters) override {
        script::StartProgramOrDocument(path, parameters, true);
    }
    bool PathExists(const char* path) override { return support::PathExists(path); }
    bool DeleteFileAt(const char* path) override { return DeleteFileA(path) != FALSE; }
    bool ScheduleDeleteAtRestart(const char* path) override {
        return script::ScheduleDeleteAtRestart(path);
    }
    bool ReleaseSharedCount(const char* path) override {
        return IsInSharedPlace(path) && ReleaseSharedFileCount(path);
    }
    void RemoveAppPathsEntry(const char* path) override { uninstall::RemoveAppPathsEntry(path); }
    void RemoveFolder(const char* path) override {
        // What an interrupted install left beside its files is ours too: it
        // must not keep the folder from being removed.
        support::DeletePartialFiles(path, &script::WaitsForRestart);
        RemoveDirectoryA(path);
    }
    void DeleteUninstallKey(const char* project_name) override {
        support::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, project_name);
    }
};

}  // namespace

void UnregisterSelfRegisteringFile(const char* path) {
    if (script::DeclaresSelfRegistration(path)) {
        script::CallServerExport(path, "DllUnregisterServer");
    }
}

void RemoveAppPathsEntry(const char* path) {
    char name[support::kMaxPath];
    if (script::AppPathsEntryName(path, name)) {
        support::DeleteRegistryKey(HKEY_LOCAL_MACHINE, script::kAppPathsKey, name);
    }
}

void UninstallActionExecutor(support::WorkerThread* /*worker*/) {
    Win32UninstallEffects effects;
    RunUninstallRecord(UninstallRecordPath, UninstallBitmapPath, app::ProjectName, effects);
}

void StartUninstallWorker() {
    new support::WorkerThread(&UninstallActionExecutor, nullptr);
}

}  // namespace uninstall
