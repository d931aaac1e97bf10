// Not a test of its own: walks the wizard page by page for
// tools/screenshots.sh, which photographs the screen at each stop. Disabled
// unless run with --gtest_also_run_disabled_tests and VORNAK_SHOT_DIR set.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "ui/resource_ids.h"
#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"

using e2e::Click;
using e2e::RunningProgram;

namespace {

std::string Environment(const char* name) {
    char value[MAX_PATH] = "";
    GetEnvironmentVariableA(name, value, MAX_PATH);
    return value;
}

// Asks for a photograph of window and waits until it has been taken. The
// request holds the window's place on the screen, for the crop. At a display
// scale other than 100 % (VORNAK_SHOT_SCALE, "150" or "200") only the main
// and the finish page are taken, named with the scale.
void Photograph(std::string name, HWND window) {
    std::string scale = Environment("VORNAK_SHOT_SCALE");
    if (!scale.empty()) {
        if (name != "main-page" && name != "finish-page") {
            return;
        }
        name += "-" + scale;
    }
    std::string folder = Environment("VORNAK_SHOT_DIR");
    Sleep(400);  // let the page finish painting
    RECT place = {};
    GetWindowRect(window, &place);
    char geometry[64];
    snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", place.right - place.left,
             place.bottom - place.top, place.left, place.top);
    testing_support::WriteAll(folder + "\\" + name + ".ready", geometry);
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return e2e::FileExists(folder + "\\" + name + ".done"); }, 30000))
        << name;
}

}  // namespace

TEST(Screenshots, DISABLED_WalkTheWizard) {
    ASSERT_NE("", Environment("VORNAK_SHOT_DIR"));
    // The crop needs the pages' places in real pixels.
    e2e::SeeRealPixels();
    testing_support::Scratch scratch;
    // Random bytes decode slowly enough to catch the progress page mid-way.
    std::string slow(24 << 20, '\0');
    uint32_t state = 12345;
    for (char& byte : slow) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    std::string package = scratch.PathOf("setup.exe");
    std::string licence = testing_support::ReadAll(Environment("VORNAK_SHOT_LICENCE"));
    std::string banner = testing_support::ReadAll(Environment("VORNAK_SHOT_BANNER"));
    ASSERT_TRUE(e2e::BuildPackage(
        package, {{"setup.dat", e2e::Script({"[Project Name]",
                                             "Sample Tool",
                                             "[Install To]",
                                             "<Program Files>\\Sample Tool",
                                             "[Action]",
                                             "Installing Sample Tool",
                                             "[CopyFile]",
                                             "readme.txt",
                                             "<Destination>\\readme.txt",
                                             "[CopyFile]",
                                             "settings.ini",
                                             "<Destination>\\settings.ini",
                                             "[CopyFile]",
                                             "data.bin",
                                             "<Destination>\\data.bin",
                                             "[CopyFile]",
                                             "notes.txt",
                                             "<Destination>\\notes.txt",
                                             "[CreateIcon]",
                                             "<Destination>\\readme.txt",
                                             "<DeskTop>\\Sample Tool Read Me.lnk",
                                             "",
                                             "Optional - Put a read-me shortcut on the desktop",
                                             "[RunFile]",
                                             "<Destination>\\readme.txt",
                                             "",
                                             "Optional - Show the read-me now"})},
                  {"setup.bmp", banner},
                  {"setup.lic", licence},
                  {"readme.txt", "read me"},
                  {"settings.ini", "[Sample Tool]"},
                  {"data.bin", slow},
                  {"notes.txt", "notes"}}));
    RunningProgram installer("\"" + package + "\"");
    HWND page = installer.WaitForPage("Sample Tool Installation", IDC_LOCATION);
    ASSERT_NE(nullptr, page);
    Photograph("main-page", page);
    Click(page, IDOK);
    HWND licence_page = installer.WaitForPage("Sample Tool Installation", IDC_LICENCE_TEXT);
    ASSERT_NE(nullptr, licence_page);
    Photograph("licence-page", licence_page);
    Click(licence_page, IDOK);
    HWND progress = installer.WaitForPage("Installing Sample Tool", IDC_PROGRESS_BAR);
    ASSERT_NE(nullptr, progress);
    ASSERT_TRUE(e2e::WaitUntil([&] {
        return e2e::ControlText(progress, IDCANCEL) == "Cancel" &&
               SendDlgItemMessageA(progress, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0) > 0;
    }));
    Photograph("progress-page", progress);
    Click(progress, IDCANCEL);
    HWND question = installer.WaitForMessageBox("Installer");
    ASSERT_NE(nullptr, question);
    Photograph("cancel-question", question);
    Click(question, IDNO);
    HWND finish = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            finish = installer.FindDialog("Sample Tool Installation", IDOK);
            return finish != nullptr && FindWindowExA(finish, nullptr, "ListBox", nullptr);
        },
        30000));
    Photograph("finish-page", finish);
    // Leave nothing behind: untick both rows, then Finish.
    HWND list = FindWindowExA(finish, nullptr, "ListBox", nullptr);
    for (int row = 0; row < 2; ++row) {
        SendMessageA(list, LB_SETCURSEL, row, 0);
        SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
    }
    Click(finish, IDOK);
    ASSERT_TRUE(installer.WaitForExit(30000));
}
