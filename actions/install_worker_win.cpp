// The install worker's actions bound to Win32: each script section calls the
// unit that carries it out.
#include <windows.h>

#include <cstring>

#include "session/install_job.h"
#include "session/install_session.h"
#include "actions/file_install.h"
#include "actions/install_worker.h"
#include "actions/registry_actions.h"
#include "actions/run_program.h"
#include "actions/self_registration.h"
#include "actions/shortcut.h"
#include "script/folder_placeholders.h"
#include "support/text.h"
#include "actions/uninstall_record_writer.h"
#include "uninstall/uninstall_record.h"

namespace actions {

namespace {

class Win32InstallActions : public script::InstallActions {
  public:
    void InstallFile(const char* entry_name, char* target, bool* abort) override {
        char name[script::LineCapacity(script::kValueLineLimit)];
        support::CopyText(name, entry_name);
        script::ExpandFolderPlaceholders(name);
        script::ExpandFolderPlaceholders(target);
        if (!NoteTargetBeforeWriting(&record_, target)) {
            *abort = true;
            return;
        }
        actions::InstallFile(name, target, session::Current().destination_folder, abort);
    }
    void RegisterAppPath(const char* target) override { actions::RegisterAppPath(target); }
    void WriteRegistryItem(script::RegistryItem* item) override {
        actions::WriteRegistryItem(item);
    }
    void CreateShortcut(const char* link_path, const char* target, const char* arguments) override {
        char link[support::kMaxPath];
        char target_path[support::kMaxPath];
        char argument_text[support::kMaxPath];
        support::CopyText(link, link_path);
        support::CopyText(target_path, target);
        support::CopyText(argument_text, arguments);
        ShortcutSpec spec = {};
        spec.target_path = target_path;
        spec.arguments = argument_text;
        spec.flags = kShortcutArguments;
        actions::CreateShortcut(link, spec);
    }
    void LaunchFile(const char* program, const char* arguments, bool wait) override {
        char program_path[support::kMaxPath];
        support::CopyText(program_path, program);
        actions::LaunchFile(program_path, arguments, wait);
    }
    void ShowMessage(char* text, const char* kind) override {
        script::ShowScriptMessage(text, kind);
    }
    void WriteUninstallRecord() override { actions::WriteUninstallRecord(&record_); }
    void RegisterQueuedDlls() override { actions::RegisterQueuedDlls(); }

  private:
    RunRecord record_;
};

}  // namespace

void InstallWorkerBody(support::WorkerThread* /*worker*/) {
    char script_path[support::kMaxPath] = "";
    if (session::Current().job != nullptr) {
        session::Current().job->FolderPath(script_path);
        support::AppendText(script_path, "setup.dat");
    }
    Win32InstallActions actions;
    script::RunInstallScript(script_path, session::Current().Silent(), actions);
}

}  // namespace actions
