// The wizard at the display scales people use, and worked without a mouse:
// at 96, 144 and 192 DPI every button's caption fits it, the banner fills
// its band and the check list's rows hold their text and boxes; the pages
// answer Tab, Enter and Esc, the check list the arrow keys and Space. Each scale
// changes the prefix's display setting, so ctest runs these in a prefix of
// their own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/resource_ids.h"
#include "tests/e2e/installer_driver.h"
#include "tests/support_lib/scratch.h"

using e2e::Click;
using e2e::RunningProgram;

namespace {

// The banner tools/make-banner.py draws, in 96-DPI pixels.
constexpr int kBannerWidth = 425;
constexpr int kBannerHeight = 65;

int Scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}

void SetDisplayDpi(int dpi) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                             nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    DWORD value = static_cast<DWORD>(dpi);
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
    RegCloseKey(key);
}

RECT ClientOf(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return client;
}

// The caption of every push button of the page fits inside it with the
// dialog font at dpi, leaving the button's edges free.
void ExpectCaptionsFit(HWND page, int dpi) {
    HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                             0, 0, 0, "MS Shell Dlg 2");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    int buttons = 0;
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char class_name[32] = "";
        GetClassNameA(child, class_name, sizeof class_name);
        std::string text = e2e::WindowText(child);
        if (lstrcmpiA(class_name, "Button") != 0 || text.empty()) {
            continue;
        }
        ++buttons;
        // Measured as drawn: an access key's "&" takes no room.
        RECT extent = {};
        DrawTextA(dc, text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
        RECT box = ClientOf(child);
        EXPECT_LE(extent.right + 2 * Scaled(3, dpi), box.right) << text << " at " << dpi;
        EXPECT_LE(extent.bottom + 2 * Scaled(1, dpi), box.bottom) << text << " at " << dpi;
    }
    EXPECT_GT(buttons, 0);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(font);
}

// The banner spans the page, its height in the bitmap's proportion.
void ExpectBannerFills(HWND page, int dpi) {
    RECT banner = ClientOf(GetDlgItem(page, IDC_BANNER));
    EXPECT_GE(banner.right, ClientOf(page).right) << dpi;
    EXPECT_LE(banner.right, ClientOf(page).right + Scaled(8, dpi)) << dpi;
    EXPECT_NEAR(MulDiv(banner.right, kBannerHeight, kBannerWidth), banner.bottom, 1) << dpi;
}

class WizardPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        e2e::SeeRealPixels();
        project_ =
            std::string("E2E ") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : project_) {
            c = c == '/' ? ' ' : c;
        }
        folder_ = "C:\\VornakE2E\\" + project_;
        SetEnvironmentVariableA("VORNAK_RECORD_FILE", scratch_.PathOf("runs.txt").c_str());
        SetEnvironmentVariableA("VORNAK_RECORD_DELAY_MS", "0");
    }
    void TearDown() override {
        e2e::RemoveTree(folder_);
        RegDeleteKeyA(
            HKEY_LOCAL_MACHINE,
            ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + project_).c_str());
        DeleteFileA((e2e::SystemFolder() + "VornakUninstall-" + project_ + ".dat").c_str());
        DeleteFileA((e2e::SystemFolder() + "VornakUninstall-" + project_ + ".bmp").c_str());
    }
    // A package with a licence, a banner and two optional programs, started.
    std::string Package() {
        std::string recorder = e2e::FixturePath("command_recorder.exe");
        std::string script =
            e2e::Script({"[Project Name]", project_.c_str(), "", "[Install To]", folder_.c_str(),
                         "", "[RunFile]", recorder.c_str(), "programA", "Optional - Program A",
                         "[RunFile]", recorder.c_str(), "programB", "Optional - Program B"});
        std::string package = scratch_.PathOf("setup.exe");
        EXPECT_TRUE(e2e::BuildPackage(package, {{"setup.dat", script},
                                                {"setup.lic", "TERMS\r\nBe nice.\r\n"},
                                                {"setup.bmp", Banner()}}));
        return "\"" + package + "\"";
    }
    std::string Caption() const { return project_ + " Installation"; }
    // The finish page once its list is there.
    HWND WaitForFinishList(RunningProgram& installer) const {
        HWND finish = nullptr;
        bool listed = e2e::WaitUntil([&] {
            finish = installer.FindDialog(Caption(), IDOK);
            return finish != nullptr &&
                   FindWindowExA(finish, nullptr, "ListBox", nullptr) != nullptr;
        });
        EXPECT_TRUE(listed);
        return listed ? finish : nullptr;
    }
    std::string Runs() const { return testing_support::ReadAll(scratch_.PathOf("runs.txt")); }

    // A plain 24-bit banner of the size tools/make-banner.py draws.
    static std::string Banner() {
        int row = (kBannerWidth * 3 + 3) / 4 * 4;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(row * kBannerHeight);
        info.biSize = sizeof info;
        info.biWidth = kBannerWidth;
        info.biHeight = kBannerHeight;
        info.biPlanes = 1;
        info.biBitCount = 24;
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
        bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
        bytes.append(static_cast<size_t>(row * kBannerHeight), '\x60');
        return bytes;
    }

    testing_support::Scratch scratch_;
    std::string project_;
    std::string folder_;
};

class DisplayScaleTest : public WizardPageTest, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(DisplayScaleTest, PagesFitTheirTextsBannerAndRows) {
    int dpi = GetParam();
    SetDisplayDpi(dpi);
    RunningProgram installer(Package());
    HWND main_page = installer.WaitForPage(Caption(), IDC_LOCATION);
    ASSERT_NE(nullptr, main_page);
    // The page is laid out by the installer itself: it is per-monitor aware.
    EXPECT_EQ(DPI_AWARENESS_PER_MONITOR_AWARE,
              GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(main_page)));
    ExpectCaptionsFit(main_page, dpi);
    ExpectBannerFills(main_page, dpi);
    Click(main_page, IDOK);
    HWND licence = installer.WaitForPage(Caption(), IDC_LICENCE_TEXT);
    ASSERT_NE(nullptr, licence);
    ExpectCaptionsFit(licence, dpi);
    Click(licence, IDOK);
    HWND finish = WaitForFinishList(installer);
    ASSERT_NE(nullptr, finish);
    ExpectCaptionsFit(finish, dpi);
    ExpectBannerFills(finish, dpi);
    // Each row holds the 13-pixel text and the 16-pixel boxes at this scale.
    HWND list = FindWindowExA(finish, nullptr, "ListBox", nullptr);
    LRESULT row_height = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_GE(row_height, Scaled(16, dpi));
    EXPECT_GE(row_height, Scaled(13, dpi) + 2);
    // The list keeps to the page, across most of its width.
    RECT place = {};
    GetWindowRect(list, &place);
    MapWindowPoints(nullptr, finish, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_LE(place.right, ClientOf(finish).right);
    EXPECT_GE(place.right - place.left, ClientOf(finish).right * 9 / 10);
    Click(finish, IDOK);
    EXPECT_TRUE(installer.WaitForExit(20000));
    SetDisplayDpi(96);
}

INSTANTIATE_TEST_SUITE_P(LogPixels, DisplayScaleTest, ::testing::Values(96, 144, 192));

TEST_F(WizardPageTest, KeysAloneWorkThePagesAndTheCheckList) {
    RunningProgram installer(Package());
    HWND main_page = installer.WaitForPage(Caption(), IDC_LOCATION);
    ASSERT_NE(nullptr, main_page);
    // Tab goes from the folder box through Change and Cancel to Next.
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    DWORD ui_thread = GetWindowThreadProcessId(main_page, nullptr);
    auto focused = [&] {
        GetGUIThreadInfo(ui_thread, &thread);
        return GetDlgCtrlID(thread.hwndFocus);
    };
    auto press = [&](WPARAM key) {
        GetGUIThreadInfo(ui_thread, &thread);
        PostMessageA(thread.hwndFocus, WM_KEYDOWN, key, 1);
        PostMessageA(thread.hwndFocus, WM_KEYUP, key, 0xC0000001);
        Sleep(200);
    };
    EXPECT_EQ(IDC_LOCATION, focused());
    for (int expected : {IDC_CHANGE_FOLDER, IDCANCEL, IDOK}) {
        press(VK_TAB);
        EXPECT_EQ(expected, focused());
    }
    press(VK_RETURN);
    // Esc on the licence page goes back, Enter on the main page comes again.
    HWND licence = installer.WaitForPage(Caption(), IDC_LICENCE_TEXT);
    ASSERT_NE(nullptr, licence);
    press(VK_ESCAPE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(licence); }));
    press(VK_RETURN);
    licence = installer.WaitForPage(Caption(), IDC_LICENCE_TEXT);
    ASSERT_NE(nullptr, licence);
    press(VK_RETURN);

    HWND finish = WaitForFinishList(installer);
    ASSERT_NE(nullptr, finish);
    HWND list = FindWindowExA(finish, nullptr, "ListBox", nullptr);
    // The list has the focus first; Down reaches the first row, Space
    // unticks it, Enter presses Finish.
    EXPECT_EQ(list, (GetGUIThreadInfo(ui_thread, &thread), thread.hwndFocus));
    press(VK_DOWN);
    press(VK_SPACE);
    press(VK_RETURN);
    ASSERT_TRUE(installer.WaitForExit(20000));
    // A program started without waiting may record itself after the end.
    EXPECT_TRUE(e2e::WaitUntil([&] { return Runs().find("programB") != std::string::npos; }));
    EXPECT_EQ(std::string::npos, Runs().find("programA"));
}
