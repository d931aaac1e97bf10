// OLE self-registration of installed libraries: queued while files are
// installed, carried out once at the end of the install worker.
//
// The elevated installer loads each library to register it. Where other
// users may change the install folder, one could put a library of their own
// in its place between the install and the registration; so each library is
// held open, without write or delete sharing, from before it is loaded until
// it is freed again, and registered only when its bytes are still those
// queued.
#pragma once

#include <windows.h>

namespace actions {

// A file's SHA-256 as 64 hexadecimal digits (65 bytes with the NUL); the
// empty text when the system could not work it out.
constexpr int kDigestTextSize = 65;
// Of the file open as file, read from its start through the handle.
void DigestOpenFile(HANDLE file, char* digest);

// Appends path to SelfRegisterList, and the digest of its bytes to
// SelfRegisterDigests, when its version resource asks for self-registration.
void QueueSelfRegistration(const char* path);
// The same for a file just installed at path from the file open as
// installed, whose bytes are taken through that handle.
void QueueInstalledLibrary(const char* path, HANDLE installed);

// Calls DllRegisterServer of every queued file, in order, then empties the
// list. Files that do not load or lack the export are skipped silently; a
// registration that fails, and a library no longer the one queued, are
// reported ("Unable to register '%s'." and "'%s' was changed after it was
// installed, so it was not registered.", no box under "<Silent>") and set the
// session's install_failed.
void RegisterQueuedDlls();
// Empties the queue without registering anything (tests run several
// installations in one process).
void ForgetQueuedLibraries();

enum class ServerExportResult { kNotCalled, kSucceeded, kFailed };

// Loads the library at path (its dependencies found beside it) and calls its
// export of that name, which takes no arguments (DllRegisterServer,
// DllUnregisterServer). kNotCalled when the library does not load or lacks
// the export; otherwise whether the export reported success. For an install
// for the current user alone (per_user) the library's writes to
// HKEY_CLASSES_ROOT go to the user's own classes, where Windows looks first
// for that user; kFailed when they cannot be sent there.
ServerExportResult CallServerExport(const char* path, const char* export_name, bool per_user);

}  // namespace actions
