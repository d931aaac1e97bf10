// The install worker's actions bound to Win32: each script section calls the
// unit that carries it out.
#include <windows.h>

#include <cstring>

#include "app/install_job.h"
#include "script/file_install.h"
#include "script/install_actions.h"
#include "script/registry_actions.h"
#include "script/run_program.h"
#include "script/self_registration.h"
#include "script/shortcut.h"
#include "support/text.h"
#include "uninstall/uninstall_record.h"

namespace script {

namespace {

class Win32InstallActions : public InstallActions {
  public:
    void InstallFile(const char* entry_name, char* target, bool* abort) override {
        char name[kValueLineLimit + 1];
        support::CopyText(name, entry_name);
        script::InstallFile(name, target, abort);
    }
    void RegisterAppPath(const char* target) override { script::RegisterAppPath(target); }
    void WriteRegistryItem(RegistryItem* item) override { script::WriteRegistryItem(item); }
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
        script::CreateShortcut(link, spec);
    }
    void LaunchFile(const char* program, const char* arguments, bool wait) override {
        char program_path[support::kMaxPath];
        support::CopyText(program_path, program);
        script::LaunchFile(program_path, arguments, wait);
    }
    void ShowMessage(char* text, const char* kind) override { ShowScriptMessage(text, kind); }
    void WriteUninstallRecord() override { uninstall::WriteUninstallRecord(); }
    void RegisterQueuedDlls() override { script::RegisterQueuedDlls(); }
};

}  // namespace

bool IsSilentInstall() {
    return std::strstr(GetCommandLineA(), "<Silent>") != nullptr;
}

void InstallWorkerBody(support::WorkerThread* /*worker*/) {
    char script_path[support::kMaxPath] = "";
    if (app::CurrentJob != nullptr) {
        app::CurrentJob->FolderPath(script_path);
        support::AppendText(script_path, "setup.dat");
    }
    Win32InstallActions actions;
    RunInstallScript(script_path, IsSilentInstall(), actions);
}

}  // namespace script
