// The uninstall worker's actions through Win32.
#include "actions/uninstall_worker.h"

#include <windows.h>

#include "session/install_session.h"
#include "actions/file_version.h"
#include "actions/own_keys_win.h"
#include "actions/registry_actions.h"
#include "actions/restart_file_ops.h"
#include "actions/run_program.h"
#include "actions/self_registration.h"
#include "support/folders.h"
#include "support/path_text.h"
#include "support/registry_values.h"
#include "support/run_log.h"
#include "support/text.h"
#include "actions/shared_file_counts.h"
#include "uninstall/uninstall_loop.h"

namespace actions {

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class Win32UninstallActions : public uninstall::UninstallActions {
  public:
    bool SamePath(const char* a, const char* b) override {
        return support::EqualsIgnoringCase(a, b);
    }
    void UnregisterSelfRegisteringFile(const char* path) override {
        actions::UnregisterSelfRegisteringFile(path);
    }
    void RunUninstallAction(const char* path, const char* parameters) override {
        actions::StartProgramOrDocument(path, parameters, true);
    }
    bool PathExists(const char* path) override { return support::PathExists(path); }
    bool DeleteFileAt(const char* path) override {
        if (DeleteFileA(path)) {
            support::LogLine("file removed: %s", path);
            return true;
        }
        support::LogFailure("file not removed", path, GetLastError());
        return false;
    }
    bool ScheduleDeleteAtRestart(const char* path) override {
        bool scheduled = actions::ScheduleDeleteAtRestart(path);
        support::LogLine("%s: %s",
                         scheduled ? "file in use, removed at the next restart"
                                   : "file in use, its removal could not be scheduled",
                         path);
        return scheduled;
    }
    uint32_t SharedCount(const char* path) override {
        return IsInSharedPlace(path) ? static_cast<uint32_t>(SharedFileCount(path)) : 0;
    }
    void ReleaseSharedCount(const char* path) override {
        if (IsInSharedPlace(path)) {
            ReleaseSharedFileCount(path);
            support::LogLine("shared file count lowered: %s", path);
        }
    }
    void RemoveAppPathsEntry(const char* path) override { actions::RemoveAppPathsEntry(path); }
    void RemoveFolder(const char* path) override {
        // What an interrupted install left beside its files is ours too: it
        // must not keep the folder from being removed.
        support::DeletePartialFiles(path, &actions::WaitsForRestart);
        RemoveDirectoryA(path);
    }
    void DeleteUninstallKey(const char* project_name) override {
        support::DeleteRegistryKey(OwnKeysRoot(session::Current()), kUninstallKey, project_name);
        support::LogLine("uninstall entry removed: %s", project_name);
    }
};

}  // namespace

void UnregisterSelfRegisteringFile(const char* path) {
    if (actions::DeclaresSelfRegistration(path)) {
        actions::CallServerExport(path, "DllUnregisterServer", session::Current().per_user);
    }
}

void RemoveAppPathsEntry(const char* path) {
    char name[support::kMaxPath];
    if (actions::AppPathsEntryName(path, name)) {
        support::DeleteRegistryKey(OwnKeysRoot(session::Current()), actions::kAppPathsKey, name);
    }
}

void UninstallWorkerBody(support::WorkerThread* /*worker*/) {
    Win32UninstallActions actions;
    uninstall::RunUninstallRecord(session::Current().uninstall_record_path,
                                  session::Current().uninstall_bitmap_path,
                                  session::Current().project_name, actions);
}

void StartUninstallWorker() {
    new support::WorkerThread(&UninstallWorkerBody, nullptr);
}

}  // namespace actions
