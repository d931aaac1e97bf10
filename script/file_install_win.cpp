// File installation: unpack, compare versions, copy or replace at restart.
#include "script/file_install.h"

#include <windows.h>

#include <cstdint>

#include "app/app_state.h"
#include "app/install_job.h"
#include "script/entry_extraction.h"
#include "script/file_version.h"
#include "script/folder_placeholders.h"
#include "script/restart_file_ops.h"
#include "script/self_registration.h"
#include "support/folders.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/temp_path.h"
#include "support/text_format.h"
#include "support/win32_values.h"

namespace script {

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

bool IsInUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool UserWantsRetry(const char* target) {
    char text[support::kMaxPath + 64];
    support::FormatText(text, sizeof text, "Cannot install '%s', disk might be full.", target);
    return support::ShowMessage(text, "Installer",
                                support::kMbRetryCancel | support::kMbIconError |
                                    support::kMbDefButton2) == support::kIdRetry;
}

// Puts the unpacked file at target, or schedules it for the restart when the
// target is in use. Returns false when the user gave up after a failure.
bool CopyIntoPlace(support::TempPath& temporary, const char* target, uint64_t old_version,
                   uint64_t new_version) {
    for (;;) {
        // A read-only target would refuse the copy.
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        if (CopyFileA(temporary.Path(), target, FALSE)) {
            return true;
        }
        if (IsInUse(GetLastError())) {
            // The very version already running needs no restart; anything
            // else (including two files without versions) is replaced then.
            if (old_version == 0 || old_version != new_version) {
                ReplaceAtRestart(temporary.Path(), target);
                temporary.Keep();
            }
            return true;
        }
        if (!UserWantsRetry(target)) {
            return false;
        }
    }
}

// A target that does not exist yet has no version to compare and cannot be
// in use, so the entry is decoded straight into it: no temporary copy, and
// the file is written once, with the permissions its folder gives. Any
// failure here leaves nothing behind and is left to the full way, which
// asks and reports as usual.
bool ExtractStraightToNewTarget(const char* entry_name, const char* target) {
    if (app::CurrentJob == nullptr || GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES ||
        GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    if (app::CurrentJob->Archive().Extract(entry_name, target, false)) {
        return true;
    }
    DeleteFileA(target);
    return false;
}

}  // namespace

void InstallFile(char* entry_name, char* target_path, bool* abort) {
    *abort = false;
    ExpandFolderPlaceholders(target_path);
    ExpandFolderPlaceholders(entry_name);

    char folder[support::kMaxPath];
    support::FolderPart(target_path, folder);
    support::CreateFolderPath(folder);

    if (ExtractStraightToNewTarget(entry_name, target_path)) {
        QueueSelfRegistration(target_path);
        return;
    }
    support::TempPath temporary("Ins");
    if (!ExtractJobEntry(entry_name, temporary.Path())) {
        *abort = true;
        return;
    }
    uint64_t old_version = VersionOf(target_path);
    uint64_t new_version = VersionOf(temporary.Path());
    // A newer file already installed stays; an older or equal one is replaced.
    if (old_version <= new_version &&
        !CopyIntoPlace(temporary, target_path, old_version, new_version)) {
        *abort = true;
        return;
    }
    // Whatever now sits at the target (the new file, a newer one kept, or one
    // the restart will replace) is registered if it asks to be.
    QueueSelfRegistration(target_path);
}

bool ReplaceAtRestart(const char* temporary_path, const char* target_path) {
    ScheduleReplaceAtRestart(temporary_path, target_path);
    app::RebootNeeded = true;
    return true;
}

}  // namespace script
