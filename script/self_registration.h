// OLE self-registration of installed libraries: queued while files are
// installed, carried out once at the end of the install worker.
#pragma once

namespace script {

// Appends path to SelfRegisterList when its version resource asks for
// self-registration.
void QueueSelfRegistration(const char* path);

// Calls DllRegisterServer of every queued file, in order, then empties the
// list. Files that do not load or lack the export are skipped silently.
void RegisterQueuedDlls();

// Loads the library at path and calls its export of that name, which takes no
// arguments (DllRegisterServer, DllUnregisterServer); the result is ignored.
// Returns whether the export was found and called.
bool CallServerExport(const char* path, const char* export_name);

}  // namespace script
