// The uninstall worker as the program runs it: the record reading of
// uninstall_loop.h bound to the real files, registry, libraries and
// program starts. Only Windows code includes this header.
#pragma once

#include "support/worker_thread.h"

namespace actions {

// The worker body: undoes the session's uninstall record for its project,
// with its destination_folder as "<Destination>"; its last act sets
// worker_done. The thread argument is not used.
void UninstallWorkerBody(support::WorkerThread* worker);

// Starts the executor on a worker thread that is never stopped or
// destroyed: the dialog follows it through worker_done.
void StartUninstallWorker();

// Calls DllUnregisterServer of the library at path when its version
// information asks for self-registration ("OLESelfRegister").
void UnregisterSelfRegisteringFile(const char* path);

// Deletes "App Paths\NAME" under HKEY_LOCAL_MACHINE for a path ending in
// ".exe" (any letter case), NAME being its file name.
void RemoveAppPathsEntry(const char* path);

}  // namespace actions
