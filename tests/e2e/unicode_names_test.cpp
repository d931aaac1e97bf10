// Names a user of any language can have: a UTF-8 package installs and
// uninstalls Greek, Chinese, Cyrillic and emoji names under a profile whose
// name the system's code page cannot spell, and a package of the system's
// code page installs as it always did, into a folder typed in Chinese.
//
// This program is not UTF-8 itself (its code page is the system's), so it
// looks at names through the wide calls only.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"
#include "ui/resource_ids.h"

using e2e::RunningProgram;

namespace {

std::wstring Wide(const std::string& utf8) {
    wchar_t text[2048] = L"";
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text, 2048);
    return text;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring RegistryText(HKEY root, const std::wstring& key, const std::wstring& name) {
    wchar_t data[2048] = L"";
    DWORD size = sizeof data - sizeof data[0];
    RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
    return data;
}

std::wstring StartPrograms() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAMS, FALSE);
    return folder;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolder(path);
            } else {
                DeleteFileW(path.c_str());
            }
        }
        if (!FindNextFileW(search, &found)) {
            FindClose(search);
            break;
        }
    }
    RemoveDirectoryW(folder.c_str());
}

// The environment variable, for the programs started while this lives.
class TemporaryEnvironment {
  public:
    TemporaryEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        GetEnvironmentVariableW(name, old_, MAX_PATH);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~TemporaryEnvironment() { SetEnvironmentVariableW(name_, old_); }

  private:
    const wchar_t* name_;
    wchar_t old_[MAX_PATH] = L"";
};

const char kProject[] =
    "E2E \xD0\xAE\xD0\xBD\xD0\xB8\xD0\xBA\xD0\xBE\xD0\xB4 \xE7\x8E\x8B\xE8\x8A\xB3 "
    "\xF0\x9F\x98\x80";
const char kFolder[] = "C:\\VornakE2E\\\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7 \xF0\x9F\x98\x80";
const char kGreekName[] = "\xCE\xA9mega.txt";
const char kChineseName[] = "\xE7\x8E\x8B\xE8\x8A\xB3.txt";
const char kEmojiName[] = "\xF0\x9F\x98\x80.txt";
const char kCyrillic[] = "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";  // Dmitry

TEST(UnicodeNames, ASilentInstallAndUninstallUnderACyrillicProfileKeepEveryName) {
    const std::wstring profile = L"C:\\users\\" + Wide(kCyrillic);
    const std::wstring temp = profile + L"\\Temp";
    CreateDirectoryW(profile.c_str(), nullptr);
    CreateDirectoryW(temp.c_str(), nullptr);
    const std::string key = std::string("Software\\VornakE2E\\") + kCyrillic;
    // A program under a Cyrillic name, given the project's name to read.
    const std::string program = std::string("<Destination>\\") + kCyrillic + ".exe";
    const std::string shortcut =
        std::string("<Start Programs>\\") + kCyrillic + "\\" + kCyrillic + ".lnk";
    std::string script =
        "\xEF\xBB\xBF" +
        e2e::Script({"[Project Name]",
                     kProject,
                     "",
                     "[Install To]",
                     kFolder,
                     "",
                     "[CopyFile]",
                     kGreekName,
                     (std::string("<Destination>\\") + kGreekName).c_str(),
                     "[CopyFile]",
                     kChineseName,
                     (std::string("<Destination>\\\xE6\x96\x87\\") + kChineseName).c_str(),
                     "[CopyFile]",
                     kEmojiName,
                     (std::string("<Destination>\\") + kEmojiName).c_str(),
                     "[Registry]",
                     "HKCU",
                     key.c_str(),
                     "String",
                     kCyrillic,
                     (std::string(kCyrillic) + " <Destination>").c_str(),
                     "[CreateIcon]",
                     (std::string("<Destination>\\") + kGreekName).c_str(),
                     shortcut.c_str(),
                     "",
                     "",
                     "[CopyFile]",
                     (std::string(kCyrillic) + ".exe").c_str(),
                     program.c_str(),
                     "[RunAndWaitFile]",
                     program.c_str(),
                     kProject,
                     ""});
    testing_support::Scratch scratch;
    std::string package = scratch.PathOf("setup.exe");
    ASSERT_TRUE(e2e::BuildPackage(
        package, {{"setup.dat", script},
                  {kGreekName, "omega"},
                  {kChineseName, "wang fang"},
                  {kEmojiName, "grin"},
                  {std::string(kCyrillic) + ".exe",
                   testing_support::ReadAll(e2e::FixturePath("command_recorder.exe"))}}));
    std::wstring log = temp + L"\\unicode.log";
    {
        TemporaryEnvironment temp_variable(L"TEMP", temp);
        TemporaryEnvironment tmp_variable(L"TMP", temp);
        TemporaryEnvironment record_file(L"VORNAK_RECORD_FILE", Wide(scratch.PathOf("ran.txt")));
        RunningProgram installer(Wide("\"" + package + "\" <Silent> <Log>\"") + log + L"\"");
        std::string box;
        ASSERT_TRUE(installer.WaitForExitWatchingForBoxes(e2e::ScaledLimit(60000), &box));
        EXPECT_EQ("", box);
        EXPECT_EQ(0u, installer.ExitCode());
    }
    const std::wstring folder = Wide(kFolder);
    const std::wstring files[] = {folder + L"\\" + Wide(kGreekName),
                                  folder + L"\\" + Wide("\xE6\x96\x87\\") + Wide(kChineseName),
                                  folder + L"\\" + Wide(kEmojiName)};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(Exists(files[i])) << "file " << i << " not installed";
    }
    // <Destination> stands for the folder with its closing backslash.
    EXPECT_EQ(Wide(kCyrillic) + L" " + folder + L"\\",
              RegistryText(HKEY_CURRENT_USER, Wide(key), Wide(kCyrillic)));
    const std::wstring link =
        StartPrograms() + L"\\" + Wide(kCyrillic) + L"\\" + Wide(kCyrillic) + L".lnk";
    EXPECT_TRUE(Exists(link));
    const std::wstring uninstall_key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + Wide(kProject);
    EXPECT_EQ(Wide(kProject), RegistryText(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayName"));
    // The log is UTF-8 and names what was written, letters intact.
    HANDLE log_file =
        CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char bytes[16384] = "";
    DWORD got = 0;
    ReadFile(log_file, bytes, sizeof bytes - 1, &got, nullptr);
    CloseHandle(log_file);
    std::string logged(bytes, got);
    EXPECT_NE(std::string::npos, logged.find(kChineseName)) << logged;
    EXPECT_NE(std::string::npos, logged.find(std::string(kCyrillic) + ".exe\" " + kProject))
        << logged;
    EXPECT_TRUE(Exists(Wide(scratch.PathOf("ran.txt")))) << "the program did not run";

    std::wstring quiet = RegistryText(HKEY_LOCAL_MACHINE, uninstall_key, L"QuietUninstallString");
    ASSERT_NE(L"", quiet);
    {
        RunningProgram uninstaller(quiet);
        std::string box;
        ASSERT_TRUE(uninstaller.WaitForExitWatchingForBoxes(e2e::ScaledLimit(60000), &box));
        EXPECT_EQ("", box);
        EXPECT_EQ(0u, uninstaller.ExitCode());
    }
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(Exists(files[i])) << "file " << i << " left";
    }
    EXPECT_FALSE(Exists(link));
    EXPECT_EQ(L"", RegistryText(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayName"));

    RemoveFolder(folder);
    RemoveFolder(StartPrograms() + L"\\" + Wide(kCyrillic));
    RegDeleteKeyW(HKEY_CURRENT_USER, Wide(key).c_str());
    RemoveFolder(profile);
}

// A package made before the UTF-8 signature: its names are bytes of the
// system's code page (here Windows-1252's "\xE9", e acute), and they reach
// Windows as the same letters as they always did.
TEST(UnicodeNames, AFolderTypedInChineseTakesAPackageOfTheSystemsCodePage) {
    const std::string project = "E2E Legacy Caf\xE9";
    testing_support::Scratch scratch;
    std::string package = scratch.PathOf("setup.exe");
    ASSERT_TRUE(e2e::BuildPackage(
        package,
        {{"setup.dat", e2e::Script({"[Project Name]", project.c_str(), "", "[Install To]",
                                    "C:\\VornakE2E\\Legacy", "", "[CopyFile]", "Caf\xE9.txt",
                                    "<Destination>\\Caf\xE9 \xC0 la carte.txt"})},
         {"Caf\xE9.txt", "caf\xE9"}}));
    RunningProgram installer("\"" + package + "\"");
    HWND page = installer.WaitForPage(project + " Installation", IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    const std::wstring folder =
        Wide("C:\\VornakE2E\\\xE7\x8E\x8B\xE8\x8A\xB3\xE7\x9A\x84\xE6\x96\x87\xE4\xBB\xB6");
    HWND edit = GetDlgItem(page, IDC_LOCATION);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t letter : folder) {
        SendMessageW(edit, WM_CHAR, letter, 0);
    }
    e2e::Click(page, IDOK);
    const std::wstring target = folder + L"\\Caf\u00E9 \u00C0 la carte.txt";
    EXPECT_TRUE(e2e::WaitUntil([&] { return Exists(target); }));
    // Nothing to offer afterwards: the progress page's Cancel becomes Finish.
    HWND progress = installer.WaitForPage("Installing " + project, IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, progress);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ControlText(progress, IDCANCEL) == "Finish"; }));
    e2e::Click(progress, IDCANCEL);
    EXPECT_TRUE(installer.WaitForExit(e2e::ScaledLimit(20000)));
    const std::wstring uninstall_key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\E2E Legacy Caf\u00E9";
    EXPECT_EQ(L"E2E Legacy Caf\u00E9",
              RegistryText(HKEY_LOCAL_MACHINE, uninstall_key, L"DisplayName"));
    std::wstring quiet = RegistryText(HKEY_LOCAL_MACHINE, uninstall_key, L"QuietUninstallString");
    ASSERT_NE(L"", quiet);
    RunningProgram uninstaller(quiet);
    ASSERT_TRUE(uninstaller.WaitForExit(e2e::ScaledLimit(60000)));
    EXPECT_FALSE(Exists(target));
    RemoveFolder(folder);
}

}  // namespace
