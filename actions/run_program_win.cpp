// Program starts through CreateProcessA, documents through ShellExecuteA.
#include "actions/run_program.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstring>

#include "session/install_session.h"
#include "script/entry_extraction.h"
#include "script/folder_placeholders.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/run_log.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "support/text_format.h"

namespace actions {

namespace {

constexpr char kTempInstall[] = "<TempInstall>";

void ReportRunFailure(const char* path) {
    char text[support::kMaxPath + 40];
    support::FormatText(text, sizeof text, "Error whilst running '%s'.", path);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

// A fresh folder inside the job folder for one program run straight from the
// package, so that two runs of the same entry never meet and the program's
// own folder, the first place Windows looks for its DLLs, holds nothing but
// what we put there. The job folder is the installer's alone.
bool MakeRunFolder(char* folder) {
    if (session::Current().job == nullptr) {
        return false;
    }
    char job_folder[support::kMaxPath];
    session::Current().job->FolderPath(job_folder);
    for (uint32_t attempt = 0; attempt < 100; ++attempt) {
        support::FormatText(folder, support::kMaxPath, "%srun%u\\", job_folder,
                            static_cast<unsigned>(support::RandomBelow(0xFFFFFF)));
        if (CreateDirectoryA(folder, nullptr)) {
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    folder[0] = '\0';
    return false;
}

// Unpacks the entry named after the "<TempInstall>" token into a run folder
// of its own, under the entry's own name (extension or none), so that the
// system sees the same program or document the package carries. copy gets
// its path.
bool ExtractToTemporaryCopy(const char* after_token, char* copy) {
    if (*after_token == '\\') {
        ++after_token;
    }
    char entry[support::kMaxPath];
    support::CopyText(entry, after_token);
    char name[support::kMaxPath];
    support::FileNamePart(entry, name);
    copy[0] = '\0';
    char folder[support::kMaxPath];
    if (name[0] == '\0' || !MakeRunFolder(folder) ||
        std::strlen(folder) + std::strlen(name) >= support::kMaxPath) {
        ReportRunFailure(entry);
        return false;
    }
    support::CopyText(copy, support::kMaxPath, folder);
    support::AppendText(copy, support::kMaxPath, name);
    if (!script::ExtractJobEntry(entry, copy)) {
        RemoveDirectoryA(folder);
        copy[0] = '\0';
        return false;
    }
    return true;
}

// Deletes the run copy and its folder; a program still running (not waited
// for, or a document) keeps both until the job folder goes.
void DeleteTemporaryCopy(const char* copy) {
    if (!DeleteFileA(copy)) {
        return;
    }
    char folder[support::kMaxPath];
    support::FolderPart(copy, folder);
    RemoveDirectoryA(folder);
}

// A name without an extension cannot be handed to the shell's "open" (no
// type to open it with), so it is started as the program it must be.
bool RunsAsProgram(const char* path, const char* arguments) {
    char extension[support::kMaxPath];
    support::ExtensionPart(path, extension);
    return arguments[0] != '\0' || support::EqualsIgnoringCase(extension, ".exe") ||
           std::strcmp(extension, ".") == 0;
}

}  // namespace

bool RunProgram(const char* program, const char* arguments, bool wait, uint32_t* exit_code) {
    // The program is named on its own as well as quoted at the head of its
    // command line: Windows then starts exactly that file, with no search.
    // An unquoted "C:\Program Files\Acme\tool.exe" would first be tried as
    // "C:\Program.exe", which any user may create.
    char command_line[kCommandLineSize];
    support::CopyText(command_line, "\"");
    support::AppendText(command_line, program);
    support::AppendText(command_line, "\"");
    if (arguments[0] != '\0') {
        support::AppendText(command_line, " ");
        support::AppendText(command_line, arguments);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(program, command_line, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, nullptr, &startup, &process) != TRUE) {
        support::LogFailure("program not started", program, GetLastError());
        return false;
    }
    support::LogLine("program started: %s", command_line);
    if (wait) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) {
            support::LogLine("program ended with exit code %lu: %s", code, program);
            if (exit_code != nullptr) {
                *exit_code = code;
            }
        }
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

bool StartProgramOrDocument(const char* path, const char* arguments, bool wait,
                            uint32_t* exit_code) {
    if (!RunsAsProgram(path, arguments)) {
        support::LogLine("document opened: %s", path);
        ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
        return true;
    }
    if (!RunProgram(path, arguments, wait, exit_code)) {
        ReportRunFailure(path);
        return false;
    }
    return true;
}

bool LaunchFile(char* program_path, const char* arguments, bool wait, uint32_t* exit_code) {
    char copy[support::kMaxPath] = "";
    // The token belongs at the start of the path; wherever it stands, the
    // entry name is what follows it.
    const char* token = std::strstr(program_path, kTempInstall);
    if (token != nullptr) {
        if (!ExtractToTemporaryCopy(token + sizeof kTempInstall - 1, copy)) {
            return false;
        }
        support::CopyText(program_path, support::kMaxPath, copy);
    }
    script::ExpandFolderPlaceholders(program_path);
    bool started = StartProgramOrDocument(program_path, arguments, wait, exit_code);
    if (copy[0] != '\0') {
        DeleteTemporaryCopy(copy);
    }
    return started;
}

}  // namespace actions
