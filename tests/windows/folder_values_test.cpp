// Folder placeholders under Windows: the system tokens take the folders the
// system reports, looked up here through other calls than the code uses.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "support/win32_values.h"
#include "script/folder_placeholders.h"
#include "tests/windows/registry_test_key.h"

namespace {

std::string Expanded(const char* text) {
    char buffer[support::kMaxPath];
    lstrcpynA(buffer, text, sizeof buffer);
    script::ExpandFolderPlaceholders(buffer);
    return buffer;
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

}  // namespace

TEST(FolderValues, SystemAndWindowsFoldersComeFromTheSystem) {
    char system[MAX_PATH];
    char windows[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, MAX_PATH));
    EXPECT_EQ(std::string(system) + "\\VornakUninstall.exe",
              Expanded("<System>VornakUninstall.exe"));
    EXPECT_EQ(std::string(windows) + "\\WININIT.INI", Expanded("<Windows>\\WININIT.INI"));
}

TEST(FolderValues, ProgramFilesComesFromTheRegistry) {
    std::string folder = testing_support::QueryRegistryString(
        HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    ASSERT_NE("<missing>", folder);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder + "\\Tool", Expanded("<Program Files>\\Tool"));
}

TEST(FolderValues, ShellFoldersComeFromTheShell) {
    const struct {
        const char* token;
        int csidl;
    } rows[] = {
        {"<Startup>", CSIDL_STARTUP},
        {"<Start Programs>", CSIDL_PROGRAMS},
        {"<DeskTop>", CSIDL_DESKTOPDIRECTORY},
    };
    for (const auto& row : rows) {
        std::string folder = ShellFolder(row.csidl);
        ASSERT_FALSE(folder.empty()) << row.token;
        EXPECT_EQ(folder + "\\a.lnk", Expanded((std::string(row.token) + "\\a.lnk").c_str()));
    }
    EXPECT_EQ("<Desktop>\\a.lnk", Expanded("<Desktop>\\a.lnk"));
}
