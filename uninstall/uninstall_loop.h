// The uninstall worker's reading of an uninstall record: it runs the
// [UninstallAction] programs, unregisters and removes the files the
// installation copied (unless another installed project lists them too, the
// install found them in place, or another product's shared count holds them), the
// shortcuts it made, their App Paths keys and the folders left empty, and at
// last the record itself and the project's entry in the list of programs.
//
// The reading and the order of things are portable; what touches the system
// goes through UninstallActions, which the program binds to Win32
// (actions/uninstall_worker_win.cpp) and tests and the fuzzer bind to recording
// fakes.
#pragma once

#include <cstdint>

#include "script/folder_placeholders.h"
#include "support/win32_values.h"

namespace uninstall {

// The pattern every project's record matches, in the folder of ours.
constexpr char kRecordPattern[] = "VornakUninstall-*.dat";

class UninstallActions {
  public:
    virtual ~UninstallActions() = default;
    // Whether two paths name the same file, compared without regard to
    // letter case as the file system compares them.
    virtual bool SamePath(const char* a, const char* b) = 0;
    // Calls DllUnregisterServer of a library whose version information asks
    // for self-registration; anything else is left alone.
    virtual void UnregisterSelfRegisteringFile(const char* path) = 0;
    // Runs an [UninstallAction] (expanded): a program is waited for, a
    // document is opened and not waited for.
    virtual void RunUninstallAction(const char* path, const char* parameters) = 0;
    virtual bool PathExists(const char* path) = 0;
    // Returns whether the file was deleted.
    virtual bool DeleteFileAt(const char* path) = 0;
    // Returns whether the system recorded the deletion.
    virtual bool ScheduleDeleteAtRestart(const char* path) = 0;
    // The shared-file count of a file in a shared place (0 for none, and
    // for a file anywhere else).
    virtual uint32_t SharedCount(const char* path) = 0;
    // Lowers that count by one; at zero the value goes.
    virtual void ReleaseSharedCount(const char* path) = 0;
    // Deletes the App Paths key of a program file (".exe" in any case).
    virtual void RemoveAppPathsEntry(const char* path) = 0;
    // Removes one folder if it is empty (partial files an interrupted
    // install left there do not count); failures are harmless.
    virtual void RemoveFolder(const char* path) = 0;
    // Deletes the project's key under the Uninstall key.
    virtual void DeleteUninstallKey(const char* project_name) = 0;
};

// Undoes the installation that the record at record_path describes, then
// deletes the record, the banner at bitmap_path and (with a project name)
// the project's Uninstall key, and sets worker_done. A missing record removes
// nothing else. Paths are expanded with the current placeholder values, so
// the session's destination_folder must be set first.
void RunUninstallRecord(const char* record_path, const char* bitmap_path, const char* project_name,
                        UninstallActions& effects);
// The same with the placeholder values given (tests name shell folders that
// the portable build does not have).
void RunUninstallRecord(const char* record_path, const char* bitmap_path, const char* project_name,
                        const script::PlaceholderValues& values, UninstallActions& effects);

// Removes folder and then its parents while they are empty and lie at or
// below top (top itself included), never trying a path shorter than 4
// characters, so that a drive root is never tried.
void RemoveEmptyFolders(const char* folder, const char* top, UninstallActions& effects);

}  // namespace uninstall
