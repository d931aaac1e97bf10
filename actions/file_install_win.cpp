// File installation: unpack, compare versions, copy or replace at restart.
#include "actions/file_install.h"

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "session/install_session.h"
#include "script/entry_extraction.h"
#include "actions/file_version.h"
#include "actions/held_folder.h"
#include "actions/partial_file.h"
#include "actions/restart_file_ops.h"
#include "actions/self_registration.h"
#include "support/folders.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/run_log.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace actions {

support::StringList SelfRegisterList;
support::StringList SelfRegisterDigests;

namespace {

// A file version as one 64-bit number, the MS half above the LS half; 0 for
// a file without one.
template <typename File>
uint64_t VersionOf(File file) {
    uint32_t ms = 0;
    uint32_t ls = 0;
    ReadFileVersion(file, &ms, &ls);
    return (static_cast<uint64_t>(ms) << 32) | ls;
}

bool IsExistingFile(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Whether a refused rename means that the target is in use. A file held
// open without delete sharing refuses it with a sharing violation, or, as
// the system's own rename reports it, with access denied; so does a file
// whose rights deny the change, or a running program's image. Which one it
// is, a fresh open of the target tells: only a file in use refuses it as a
// sharing violation, the running image to a writer, the held file to one
// that would delete it.
bool IsInUse(const char* target, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        return true;
    }
    if (error != ERROR_ACCESS_DENIED) {
        return false;
    }
    for (DWORD access : {static_cast<DWORD>(DELETE), static_cast<DWORD>(GENERIC_WRITE)}) {
        HANDLE probe =
            CreateFileA(target, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            CloseHandle(probe);
            continue;
        }
        DWORD refusal = GetLastError();
        if (refusal == ERROR_SHARING_VIOLATION || refusal == ERROR_LOCK_VIOLATION) {
            return true;
        }
    }
    return false;
}

// A target in place of which a read-only file stands gives way once the
// attribute is off; a folder standing there is left exactly as it is.
void ClearReadOnly(const char* target) {
    DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesA(target, attributes & ~FILE_ATTRIBUTE_READONLY);
    }
}

// A file that could not be written: the user may free the disk or the file
// and try again. Access denied says so; anything else most likely means a
// full disk.
bool UserWantsRetry(const char* target, DWORD error = ERROR_DISK_FULL) {
    support::LogFailure("cannot install", target, error);
    char text[support::kMaxPath + 64];
    support::FormatText(text, sizeof text,
                        error == ERROR_ACCESS_DENIED
                            ? "Cannot install '%s': access to it is denied."
                            : "Cannot install '%s', disk might be full.",
                        target);
    return support::ShowMessage(text, "Installer",
                                support::kMbRetryCancel | support::kMbIconError |
                                    support::kMbDefButton2) == support::kIdRetry;
}

void ReportReplacementNotScheduled(const char* target) {
    session::Current().install_failed = true;
    char text[support::kMaxPath + 96];
    support::FormatText(text, sizeof text,
                        "Cannot install '%s': the file is in use and its replacement could not be "
                        "scheduled for the next restart.",
                        target);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

// Somebody put a link where the install makes its files: following it would
// write wherever it points, as administrator. A plain file standing where a
// folder should be is refused the same way, and said as what it is.
void ReportLinkRefused(const char* target, const char* link) {
    session::Current().install_failed = true;
    DWORD attributes = GetFileAttributesA(link);
    bool plain_file = attributes != INVALID_FILE_ATTRIBUTES &&
                      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
    char text[2 * support::kMaxPath + 128];
    support::FormatText(text, sizeof text,
                        plain_file ? "Cannot install '%s': '%s' is a file where a folder should be."
                                   : "Cannot install '%s': '%s' is a link, and an install does not "
                                     "follow links in its folder.",
                        target, link);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

// The new file in the target's folder under a name of our own: it takes the
// folder's permissions, and a rename puts it in place on the same volume.
// Asks for a retry when the folder takes no file; returns false when the
// user gives up.
bool MakePartialFile(const HeldFolder& folder, const char* folder_path, const char* target,
                     std::unique_ptr<PartialFile>* partial) {
    for (;;) {
        *partial = std::make_unique<PartialFile>(folder, folder_path);
        if ((*partial)->IsOpen()) {
            return true;
        }
        if (!UserWantsRetry(target)) {
            return false;
        }
    }
}

// Renames the complete new file over target, or schedules that rename for
// the restart when the target is in use. An existing target is never
// written in place, so a failure at any point leaves the old file whole.
// Returns false when the user gave up after a failure; *landed says whether
// the new file is in place now.
bool MoveIntoPlace(PartialFile& partial, const char* target, uint64_t old_version,
                   uint64_t new_version, bool* landed) {
    *landed = false;
    for (;;) {
        ClearReadOnly(target);
        bool replacing = IsExistingFile(target);
        DWORD error = partial.FlushAndRenameOver(target);
        if (error == ERROR_SUCCESS) {
            *landed = true;
            support::LogLine("%s: %s", replacing ? "file replaced" : "file installed", target);
            return true;
        }
        if (IsExistingFile(target) && IsInUse(target, error)) {
            // The very version already running needs no restart; anything
            // else (including two files without versions) is replaced then.
            if (old_version == 0 || old_version != new_version) {
                if (ReplaceAtRestart(partial.Path(), target)) {
                    partial.Keep();
                    support::LogLine("file in use, replaced at the next restart: %s", target);
                } else {
                    ReportReplacementNotScheduled(target);
                }
            } else {
                support::LogLine("file in use and of the same version, kept: %s", target);
            }
            return true;
        }
        if (!UserWantsRetry(target, error)) {
            return false;
        }
    }
}

// The folders whose partial-file leftovers this run has already deleted.
// At namespace scope, not inside the function: a function-local object with
// a destructor makes the compiler guard its first use with the C++ runtime's
// thread-safe initialisation, which brings the runtime's exception and posix
// thread machinery into the stub (about 145 KB).
support::StringList cleaned_folders;

// A kill during an earlier install may have left partial files in the
// target's folder; they go the first time this run meets the folder. The
// folders met are remembered, since scripts often alternate between a few.
void DeleteLeftoversOnce(const char* folder) {
    for (int32_t i = 0; i < cleaned_folders.Count(); ++i) {
        if (support::EqualsIgnoringCase(cleaned_folders.At(i), folder)) {
            return;
        }
    }
    cleaned_folders.AppendCopy(folder);
    support::DeletePartialFiles(folder, &WaitsForRestart);
}

}  // namespace

void InstallFile(const char* entry_name, const char* target_path, const char* install_folder,
                 bool* abort) {
    *abort = false;
    char folder[support::kMaxPath];
    support::FolderPart(target_path, folder);
    support::CreateFolderPath(folder);
    DeleteLeftoversOnce(folder);

    HeldFolder held(folder, install_folder);
    if (held.RefusedLink()[0] != '\0') {
        ReportLinkRefused(target_path, held.RefusedLink());
        *abort = true;
        return;
    }
    std::unique_ptr<PartialFile> partial;
    if (!MakePartialFile(held, folder, target_path, &partial)) {
        support::LogLine("file not installed, given up: %s", target_path);
        *abort = true;
        return;
    }
    if (!script::ExtractJobEntryInto(entry_name, partial->File(), partial->Path())) {
        support::LogLine("file not installed, entry %s not extracted: %s", entry_name, target_path);
        *abort = true;
        return;
    }
    // A target that does not exist yet has no version to compare.
    bool replacing = IsExistingFile(target_path);
    uint64_t old_version = replacing ? VersionOf(target_path) : 0;
    uint64_t new_version = replacing ? VersionOf(partial->Handle()) : 0;
    // A newer file already installed stays; an older or equal one is replaced.
    bool landed = false;
    if (old_version > new_version) {
        support::LogLine("file kept, the installed one is newer: %s", target_path);
    } else if (!MoveIntoPlace(*partial, target_path, old_version, new_version, &landed)) {
        support::LogLine("file not installed, given up: %s", target_path);
        *abort = true;
        return;
    }
    // Whatever now sits at the target (the new file, a newer one kept, or one
    // the restart will replace) is registered if it asks to be; the new file
    // as written, through its handle.
    if (landed) {
        QueueInstalledLibrary(target_path, partial->Handle());
    } else {
        QueueSelfRegistration(target_path);
    }
}

bool ReplaceAtRestart(const char* temporary_path, const char* target_path) {
    if (!ScheduleReplaceAtRestart(temporary_path, target_path)) {
        return false;
    }
    session::Current().reboot_needed = true;
    return true;
}

}  // namespace actions
