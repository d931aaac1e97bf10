// File installation: unpack, compare versions, copy or replace at restart.
#include "actions/file_install.h"

#include <windows.h>

#include <cstdint>
#include <memory>

#include "session/install_session.h"
#include "script/entry_extraction.h"
#include "actions/file_version.h"
#include "script/folder_placeholders.h"
#include "actions/restart_file_ops.h"
#include "actions/self_registration.h"
#include "support/folders.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/run_log.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace actions {

support::StringList SelfRegisterList;

namespace {

// A file version as one 64-bit number, the MS half above the LS half; 0 for
// a file without one.
uint64_t VersionOf(const char* path) {
    uint32_t ms = 0;
    uint32_t ls = 0;
    ReadFileVersion(path, &ms, &ls);
    return (static_cast<uint64_t>(ms) << 32) | ls;
}

bool IsExistingFile(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A target held open without delete sharing refuses the rename with a
// sharing violation; a running program's image refuses it as access denied.
// The target's read-only attribute is cleared before, so what is left of
// access denied on an existing target is its being in use.
bool IsInUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

bool UserWantsRetry(const char* target) {
    support::LogFailure("cannot install", target, GetLastError());
    char text[support::kMaxPath + 64];
    support::FormatText(text, sizeof text, "Cannot install '%s', disk might be full.", target);
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

// The new file, complete, in the target's folder under a name of our own: it
// takes the folder's permissions, and a rename puts it in place on the same
// volume. Asks for a retry when the folder takes no file; returns false when
// the user gives up.
bool MakePartialFile(const char* target, std::unique_ptr<support::TempPath>* partial) {
    char folder[support::kMaxPath];
    support::FolderPart(target, folder);
    support::AddTrailingBackslash(folder);
    for (;;) {
        *partial = std::make_unique<support::TempPath>(support::kPartialFilePrefix, folder);
        if ((*partial)->Path()[0] != '\0') {
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
// Returns false when the user gave up after a failure.
bool MoveIntoPlace(support::TempPath& partial, const char* target, uint64_t old_version,
                   uint64_t new_version) {
    for (;;) {
        // A read-only target would refuse to be replaced.
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        bool replacing = IsExistingFile(target);
        if (MoveFileExA(partial.Path(), target, MOVEFILE_REPLACE_EXISTING)) {
            partial.Keep();
            support::LogLine("%s: %s", replacing ? "file replaced" : "file installed", target);
            return true;
        }
        if (IsInUse(GetLastError()) && IsExistingFile(target)) {
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
        if (!UserWantsRetry(target)) {
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

void InstallFile(char* entry_name, char* target_path, bool* abort) {
    *abort = false;
    script::ExpandFolderPlaceholders(target_path);
    script::ExpandFolderPlaceholders(entry_name);

    char folder[support::kMaxPath];
    support::FolderPart(target_path, folder);
    support::CreateFolderPath(folder);
    DeleteLeftoversOnce(folder);

    std::unique_ptr<support::TempPath> partial;
    if (!MakePartialFile(target_path, &partial)) {
        support::LogLine("file not installed, given up: %s", target_path);
        *abort = true;
        return;
    }
    if (!script::ExtractJobEntry(entry_name, partial->Path())) {
        support::LogLine("file not installed, entry %s not extracted: %s", entry_name, target_path);
        *abort = true;
        return;
    }
    // A target that does not exist yet has no version to compare.
    bool replacing = IsExistingFile(target_path);
    uint64_t old_version = replacing ? VersionOf(target_path) : 0;
    uint64_t new_version = replacing ? VersionOf(partial->Path()) : 0;
    // A newer file already installed stays; an older or equal one is replaced.
    if (old_version > new_version) {
        support::LogLine("file kept, the installed one is newer: %s", target_path);
    } else if (!MoveIntoPlace(*partial, target_path, old_version, new_version)) {
        support::LogLine("file not installed, given up: %s", target_path);
        *abort = true;
        return;
    }
    // Whatever now sits at the target (the new file, a newer one kept, or one
    // the restart will replace) is registered if it asks to be.
    QueueSelfRegistration(target_path);
}

bool ReplaceAtRestart(const char* temporary_path, const char* target_path) {
    if (!ScheduleReplaceAtRestart(temporary_path, target_path)) {
        return false;
    }
    session::Current().reboot_needed = true;
    return true;
}

}  // namespace actions
