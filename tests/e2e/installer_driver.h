// Drives a real installer from outside, as a person would: builds a package
// from the stub, starts it, finds its windows, reads their texts and presses
// their buttons. Every wait is bounded, so a test fails instead of hanging.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace e2e {

// A file to pack: the entry name and its content.
struct PackageFile {
    std::string name;
    std::string content;
};

// Copies the stub to path and packs the files into it, in order.
bool BuildPackage(const std::string& path, const std::vector<PackageFile>& files);

// Joins script lines with CR LF.
std::string Script(std::initializer_list<const char*> lines);

// Starts a program as its user would without administrator rights.
struct WithoutAdministratorRights {};

// A started installer (or uninstaller) process.
class RunningProgram {
  public:
    explicit RunningProgram(const std::string& command_line);
    // With the filtered token of this (elevated) program's user: the rights
    // a person has before approving an elevation prompt. Not started when
    // this program does not run elevated with such a token to hand.
    RunningProgram(const std::string& command_line, WithoutAdministratorRights);
    // For a command line this program's code page cannot spell.
    explicit RunningProgram(const std::wstring& command_line);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return process_.hProcess != nullptr; }
    // Waits for the process to end; false on time-out.
    bool WaitForExit(DWORD milliseconds);
    // The same, watching all the while for a message box of the process:
    // box_text gets the text of the first one seen, or stays empty.
    bool WaitForExitWatchingForBoxes(DWORD milliseconds, std::string* box_text);
    // The exit code of an ended process (STILL_ACTIVE while it runs).
    DWORD ExitCode() const;
    // Ends the process at once, as a deployment tool or a power cut does,
    // and waits until it is gone.
    void Kill();
    DWORD ProcessId() const { return process_.dwProcessId; }
    // A top-level dialog of this process whose caption is caption, waited for
    // up to milliseconds; null when none appears.
    HWND WaitForDialog(const std::string& caption, DWORD milliseconds = 20000) const;
    // Whether such a dialog is there now; with control_id, only one that has
    // that control (pages of one installer share their captions). A null
    // caption matches any.
    HWND FindDialog(const std::string& caption, int control_id = 0) const;
    HWND WaitForPage(const std::string& caption, int control_id, DWORD milliseconds = 20000) const;
    // A message box of this process with that caption (its text is the
    // static control 0xFFFF), not a dialog that happens to share the caption.
    HWND WaitForMessageBox(const std::string& caption, DWORD milliseconds = 20000) const {
        return WaitForPage(caption, kMessageBoxText, milliseconds);
    }
    static constexpr int kMessageBoxText = 0xFFFF;

  private:
    PROCESS_INFORMATION process_ = {};
};

// A top-level dialog of any process, waited for as WaitForPage does: the
// pages of a run that an installer started again elevated.
HWND WaitForPageOfAnyProcess(const std::string& caption, int control_id);

// Makes this program per-monitor DPI aware, as the installer is: only then
// does it see the installer's windows in real pixels rather than in the
// 96-DPI figures Windows hands to programs that are not.
void SeeRealPixels();

// Presses a button of a dialog (BM_CLICK, as a mouse click does).
void Click(HWND dialog, int button_id);
std::string ControlText(HWND dialog, int control_id);
std::string WindowText(HWND window);
// The text of a message box.
std::string MessageBoxText(HWND box);
// A time limit stretched by the whole number in VORNAK_WAIT_SCALE (1 when
// unset), for machines many times slower than the one the limits were set
// on, such as a fully emulated one. A wait still ends as soon as its
// condition holds.
DWORD ScaledLimit(DWORD milliseconds);
// Waits until fn() is true, polling every 50 ms; false on time-out.
template <typename Fn>
bool WaitUntil(Fn fn, DWORD milliseconds = 20000) {
    const DWORD limit = ScaledLimit(milliseconds);
    for (DWORD waited = 0; waited < limit; waited += 50) {
        if (fn()) {
            return true;
        }
        Sleep(50);
    }
    return fn();
}

// Paths of the test machine.
std::string StubPath();
std::string FixturePath(const char* name);
std::string SystemFolder();
// The system folder as the registry's uninstall command lines name it: on
// 64-bit Windows, where this 32-bit program sees SysWOW64 as system32, the
// SysWOW64 folder, which every program finds under that name.
std::string RegisteredSystemFolder();
std::string TempFolderPath();
std::string ReadRegistryText(HKEY root, const std::string& key, const std::string& name);
bool FileExists(const std::string& path);
// Names of the job folders ("QZT*") now in the temporary folder.
std::vector<std::string> JobFolders();
// Everything now in the temporary folder (full paths, sorted).
std::vector<std::string> TempFolderItems();
// Whether path is the source of a replacement scheduled for the restart.
bool WaitsForRestart(const std::string& path);
// Deletes a folder tree (the installed product of a test).
void RemoveTree(const std::string& folder);

}  // namespace e2e
