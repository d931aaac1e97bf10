// The install worker: carries out setup.dat section by section, in file
// order, on its own thread while the progress page shows what it does.
//
// The loop itself is portable; what each section triggers goes through
// InstallActions, which the program binds to the real file, registry,
// program and shortcut operations (actions/install_worker_win.cpp), and which
// tests and the fuzzer bind to recording fakes.
#pragma once

#include "script/setup_script.h"

namespace script {

class InstallActions {
  public:
    virtual ~InstallActions() = default;
    // Installs one [CopyFile] entry; target is expanded in place. Sets abort
    // when the rest of the script must not run.
    virtual void InstallFile(const char* entry_name, char* target, bool* abort) = 0;
    virtual void RegisterAppPath(const char* target) = 0;
    virtual void WriteRegistryItem(RegistryItem* item) = 0;
    virtual void CreateShortcut(const char* link_path, const char* target,
                                const char* arguments) = 0;
    virtual void LaunchFile(const char* program, const char* arguments, bool wait) = 0;
    // Shows a [Message] section: text as written (escapes still in it).
    virtual void ShowMessage(char* text, const char* kind) = 0;
    virtual void WriteUninstallRecord() = 0;
    virtual void RegisterQueuedDlls() = 0;
};

// Runs the whole script at script_path, then the closing steps ("Registering
// Dlls", the queued DLLs, worker_done), which run also after a stop, an abort
// or a missing script. silent skips the [Message] boxes. The uninstall
// record is asked for before the first [CopyFile], and again at the end of
// a run that was neither stopped nor aborted (it is written once); an abort
// sets the session's install_failed.
void RunInstallScript(const char* script_path, bool silent, InstallActions& actions);

}  // namespace script
