// Program starts through CreateProcessA, documents through ShellExecuteA.
#include "script/run_program.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "script/entry_extraction.h"
#include "script/folder_placeholders.h"
#include "support/message_box.h"
#include "support/path_text.h"
#include "support/temp_path.h"
#include "support/text.h"
#include "support/text_format.h"

namespace script {

namespace {

constexpr char kTempInstall[] = "<TempInstall>";

// Unpacks the entry named after the "<TempInstall>" token to a fresh
// temporary name that keeps the entry's extension, so that the system still
// sees a program (or a document of the right type). copy gets its path.
bool ExtractToTemporaryCopy(const char* after_token, char* copy) {
    if (*after_token == '\\') {
        ++after_token;
    }
    char entry[support::kMaxPath];
    support::CopyText(entry, after_token);
    char extension[support::kMaxPath];
    support::ExtensionPart(entry, extension);
    // The unique name is reserved only while this object lives; the copy
    // beside it, with the extension appended, is what runs.
    support::TempPath unique_name("Ins");
    support::CopyText(copy, support::kMaxPath, unique_name.Path());
    support::AppendText(copy, support::kMaxPath, extension);
    if (!ExtractJobEntry(entry, copy)) {
        copy[0] = '\0';
        return false;
    }
    return true;
}

void ReportRunFailure(const char* path) {
    char text[support::kMaxPath + 40];
    support::FormatText(text, sizeof text, "Error whilst running '%s'.", path);
    support::ShowMessage(text, "Installer", support::kMbIconError);
}

}  // namespace

bool RunProgram(const char* command_line, bool wait) {
    // CreateProcessA may write into the command line it is given.
    char writable[kCommandLineSize];
    support::CopyText(writable, command_line);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, writable, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                       nullptr, &startup, &process) != TRUE) {
        return false;
    }
    if (wait) {
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

void StartProgramOrDocument(const char* path, const char* arguments, bool wait) {
    char extension[support::kMaxPath];
    support::ExtensionPart(path, extension);
    if (!support::EqualsIgnoringCase(extension, ".exe") && arguments[0] == '\0') {
        ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    // A bare path stays unquoted, as scripts have always relied on; with
    // arguments the quotes mark where the program ends.
    char command_line[kCommandLineSize];
    if (arguments[0] == '\0') {
        support::CopyText(command_line, path);
    } else {
        support::CopyText(command_line, "\"");
        support::AppendText(command_line, path);
        support::AppendText(command_line, "\" ");
        support::AppendText(command_line, arguments);
    }
    if (!RunProgram(command_line, wait)) {
        ReportRunFailure(path);
    }
}

void LaunchFile(char* program_path, const char* arguments, bool wait) {
    char copy[support::kMaxPath] = "";
    // The token belongs at the start of the path; wherever it stands, the
    // entry name is what follows it.
    const char* token = std::strstr(program_path, kTempInstall);
    if (token != nullptr) {
        if (!ExtractToTemporaryCopy(token + sizeof kTempInstall - 1, copy)) {
            return;
        }
        support::CopyText(program_path, support::kMaxPath, copy);
    }
    ExpandFolderPlaceholders(program_path);
    StartProgramOrDocument(program_path, arguments, wait);
    // Fails while the program still runs (not waited for, or a document):
    // that copy then stays in the temporary folder.
    if (copy[0] != '\0') {
        DeleteFileA(copy);
    }
}

}  // namespace script
