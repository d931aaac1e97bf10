// OLE self-registration of installed libraries: queued while files are
// installed, carried out once at the end of the install worker.
#pragma once

namespace actions {

// Appends path to SelfRegisterList when its version resource asks for
// self-registration.
void QueueSelfRegistration(const char* path);

// Calls DllRegisterServer of every queued file, in order, then empties the
// list. Files that do not load or lack the export are skipped silently; a
// registration that fails is reported ("Unable to register '%s'.", no box
// under "<Silent>") and sets the session's install_failed.
void RegisterQueuedDlls();

enum class ServerExportResult { kNotCalled, kSucceeded, kFailed };

// Loads the library at path (its dependencies found beside it) and calls its
// export of that name, which takes no arguments (DllRegisterServer,
// DllUnregisterServer). kNotCalled when the library does not load or lacks
// the export; otherwise whether the export reported success.
ServerExportResult CallServerExport(const char* path, const char* export_name);

}  // namespace actions
