#include "tests/e2e/installer_driver.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/disk_file_stream.h"
#include "archive/entry_codec.h"
#include "archive/package_archive.h"
#include "support/folders.h"
#include "tests/support_lib/scratch.h"

namespace e2e {

bool BuildPackage(const std::string& path, const std::vector<PackageFile>& files) {
    if (!CopyFileA(StubPath().c_str(), path.c_str(), FALSE)) {
        return false;
    }
    testing_support::Scratch scratch;
    archive::PackageArchive package(path.c_str(), true);
    // Each entry takes its name's bytes as given, whatever this program's
    // code page: UTF-8 for a package whose setup.dat has the signature, the
    // system's code page otherwise.
    for (const PackageFile& file : files) {
        std::string source = scratch.PathOf("content.bin");
        std::string compressed = scratch.PathOf("content.bz2");
        testing_support::WriteAll(source, file.content);
        uint32_t size = 0;
        archive::CompressFile(source.c_str(), compressed.c_str(), true, &size);
        support::DiskFile data(compressed.c_str(), support::DiskFile::kRead);
        archive::DiskFileSource from(&data, static_cast<uint32_t>(data.Size()));
        package.AppendEntryFrom(file.name.c_str(), &from, static_cast<uint32_t>(data.Size()), size);
    }
    return package.Close() && package.EntryCount() == static_cast<int32_t>(files.size());
}

std::string Script(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += std::string(line) + "\r\n";
    }
    return text;
}

RunningProgram::RunningProgram(const std::wstring& command_line) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring writable = command_line;
    if (!CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
        process_ = {};
    }
}

RunningProgram::RunningProgram(const std::string& command_line, WithoutAdministratorRights) {
    // This program runs elevated (its manifest asks for it); the token
    // linked to its own is the same user's filtered one, as that user's
    // programs get it before any prompt.
    HANDLE own = nullptr;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD length = 0;
    bool have_linked = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
                       GetTokenInformation(own, TokenElevationType, &type, sizeof type, &length) &&
                       type == TokenElevationTypeFull &&
                       GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &length);
    if (own != nullptr) {
        CloseHandle(own);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string writable = command_line;
    if (!have_linked ||
        !CreateProcessAsUserA(linked.LinkedToken, nullptr, &writable[0], nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process_)) {
        process_ = {};
    }
    if (linked.LinkedToken != nullptr) {
        CloseHandle(linked.LinkedToken);
    }
}

RunningProgram::RunningProgram(const std::string& command_line) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string writable = command_line;
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
        process_ = {};
    }
}

RunningProgram::~RunningProgram() {
    if (process_.hProcess != nullptr) {
        // A test that failed half-way must not leave its installer behind.
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

bool RunningProgram::WaitForExit(DWORD milliseconds) {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, ScaledLimit(milliseconds)) == WAIT_OBJECT_0;
}

void RunningProgram::Kill() {
    if (process_.hProcess != nullptr) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 20000);
    }
}

DWORD RunningProgram::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_.hProcess != nullptr) {
        GetExitCodeProcess(process_.hProcess, &code);
    }
    return code;
}

namespace {

struct DialogSearch {
    DWORD process_id;  // 0: any process
    const std::string* caption;
    int control_id;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(window, &owner_process);
    char class_name[32] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    if ((search->process_id == 0 || owner_process == search->process_id) &&
        lstrcmpA(class_name, "#32770") == 0 &&
        (search->caption == nullptr || WindowText(window) == *search->caption) &&
        IsWindowVisible(window) &&
        (search->control_id == 0 || GetDlgItem(window, search->control_id) != nullptr)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND WaitForPageOfAnyProcess(const std::string& caption, int control_id) {
    DialogSearch search = {0, &caption, control_id, nullptr};
    WaitUntil([&] {
        EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

HWND RunningProgram::FindDialog(const std::string& caption, int control_id) const {
    DialogSearch search = {process_.dwProcessId, &caption, control_id, nullptr};
    EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool RunningProgram::WaitForExitWatchingForBoxes(DWORD milliseconds, std::string* box_text) {
    box_text->clear();
    return WaitUntil(
        [&] {
            if (box_text->empty()) {
                DialogSearch search = {process_.dwProcessId, nullptr, kMessageBoxText, nullptr};
                EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
                if (search.found != nullptr) {
                    *box_text =
                        "[" + WindowText(search.found) + "] " + MessageBoxText(search.found);
                }
            }
            return WaitForExit(0);
        },
        milliseconds);
}

HWND RunningProgram::WaitForDialog(const std::string& caption, DWORD milliseconds) const {
    return WaitForPage(caption, 0, milliseconds);
}

HWND RunningProgram::WaitForPage(const std::string& caption, int control_id,
                                 DWORD milliseconds) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(caption, control_id)) != nullptr; }, milliseconds);
    return found;
}

DWORD ScaledLimit(DWORD milliseconds) {
    char text[16] = "";
    DWORD length = GetEnvironmentVariableA("VORNAK_WAIT_SCALE", text, sizeof text);
    unsigned long scale = length > 0 && length < sizeof text ? strtoul(text, nullptr, 10) : 1;
    if (scale < 1 || scale > 100) {
        scale = 1;
    }
    uint64_t scaled = uint64_t{milliseconds} * scale;
    return milliseconds == INFINITE || scaled >= INFINITE ? INFINITE : static_cast<DWORD>(scaled);
}

void SeeRealPixels() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    auto set_context = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext")));
    // -4: DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2.
    if (set_context == nullptr ||
        !set_context(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) {
        SetProcessDPIAware();
    }
}

void Click(HWND dialog, int button_id) {
    // Posted, so that a button that opens a modal box does not block us.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button_id)));
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ControlText(HWND dialog, int control_id) {
    char text[4096] = "";
    GetDlgItemTextA(dialog, control_id, text, sizeof text);
    return text;
}

std::string MessageBoxText(HWND box) {
    return ControlText(box, RunningProgram::kMessageBoxText);
}

std::string StubPath() {
    return VORNAK_STUB_PATH;
}

std::string FixturePath(const char* name) {
    return std::string(VORNAK_FIXTURE_DIR) + name;
}

std::string SystemFolder() {
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\";
}

std::string RegisteredSystemFolder() {
    BOOL wow64 = FALSE;
    char folder[MAX_PATH] = "";
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64 &&
        GetSystemWow64DirectoryA(folder, MAX_PATH) != 0) {
        return std::string(folder) + "\\";
    }
    return SystemFolder();
}

std::string TempFolderPath() {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

std::string ReadRegistryText(HKEY root, const std::string& key, const std::string& name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return "<missing key>";
    }
    char data[2048] = "";
    DWORD size = sizeof data;
    LONG status = RegQueryValueExA(opened, name.c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS ? std::string(data) : "<missing value>";
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> JobFolders() {
    std::vector<std::string> names;
    support::FileFinder finder("QZT*", TempFolderPath().c_str());
    while (finder.Next()) {
        names.push_back(finder.ItemPath());
    }
    return names;
}

std::vector<std::string> TempFolderItems() {
    std::vector<std::string> names;
    support::FileFinder finder("*.*", TempFolderPath().c_str());
    while (finder.Next()) {
        names.push_back(finder.ItemPath());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitsForRestart(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<char> data(65536, '\0');
    DWORD size = static_cast<DWORD>(data.size() - 2);
    LONG status = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    // Pairs of "\??\path" strings, each ending in a NUL; the second of a pair is
    // empty for a deletion, so the walk goes by the size, not to an empty one.
    for (const char* entry = data.data(); entry < data.data() + size; entry += strlen(entry) + 1) {
        if (lstrcmpiA(entry, ("\\??\\" + path).c_str()) == 0) {
            return true;
        }
    }
    return false;
}

void RemoveTree(const std::string& folder) {
    support::DeleteFolderContents(folder.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace e2e
