// Files opened, made and renamed inside a folder through the folder's own
// handle, never by a full path: what lies above the folder is not looked at
// again, and no link at the name itself is followed.
//
// The installer runs elevated and writes into folders other users may be
// able to change. A name looked up anew by path each time can be made to
// lead elsewhere between two calls (a folder swapped for a junction); a name
// inside a folder held open without delete sharing cannot: the folder can be
// neither renamed nor removed, and the call acts on the link itself rather
// than what it points at. The system's own calls (ntdll) are looked up at
// run time: the consumer family of Windows has none of them.
// Only Windows code includes this header.
#pragma once

#include <windows.h>

namespace actions {

// Whether the system has the calls below.
bool FolderRelativeCallsAvailable();

// Opens (disposition FILE_OPEN) or makes (FILE_CREATE, failing when the name
// is taken) name, a single name without backslash in the system code page,
// inside folder. options are NtCreateFile's (FILE_DIRECTORY_FILE, ...); the
// call always adds FILE_OPEN_REPARSE_POINT and synchronous access. Returns
// the Win32 error (0 on success) and the handle in *opened.
DWORD OpenInFolder(HANDLE folder, const char* name, ACCESS_MASK access, ULONG share,
                   ULONG disposition, ULONG options, HANDLE* opened);

// Renames the open file over name inside folder (the folder it lies in),
// replacing a file of that name. Returns the Win32 error (0 on success).
DWORD RenameInFolder(HANDLE file, HANDLE folder, const char* name);

// Marks the open file (opened with DELETE access) to go when its handle is
// closed. Returns whether it is marked.
bool DeleteWhenClosed(HANDLE file);

}  // namespace actions
