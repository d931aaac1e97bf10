// The program's resources: the dialog templates as the pages expect them
// (read from the template bytes, then created for real), the pictures at
// their sizes, and the stub's manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/resource_ids.h"
#include "tests/windows/pixel_canvas.h"
#include "ui/common_controls.h"

namespace {

struct ControlSpec {
    int id;
    const char* class_name;  // as GetClassNameA reports it
    const char* text;
    DWORD style;  // bits that must be set
    short x, y, cx, cy;
};

struct DialogSpec {
    int id;
    const char* caption;
    DWORD style;
    short x, y, cx, cy;
    std::vector<ControlSpec> controls;
};

constexpr DWORD kPage = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
constexpr DWORD kDefault = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;
constexpr DWORD kBar = WS_BORDER | 0x01;  // PBS_SMOOTH

const ControlSpec kBanner = {IDC_BANNER, "Static", "", SS_BITMAP, 0, 0, 15, 13};

std::vector<DialogSpec> Dialogs() {
    return {
        {IDD_PROGRESS_PAGE,
         "Installing xxx",
         kPage,
         0,
         0,
         281,
         105,
         {{IDCANCEL, "Button", "Cancel", kPush, 115, 84, 50, 14},
          {IDC_PROGRESS_BAR, "msctls_progress32", "Progress1", kBar, 7, 58, 267, 6},
          kBanner}},
        {IDD_MAIN_PAGE,
         "xxxxx Install",
         kPage,
         0,
         0,
         281,
         215,
         {kBanner,
          {IDC_FOLDER_PICTURE, "Static", "", SS_BITMAP, 19, 97, 15, 13},
          {IDC_LOCATION, "Edit", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 33, 95, 197, 12},
          {IDC_CHANGE_FOLDER, "Button", "&Change", kPush, 232, 95, 37, 12},
          {IDC_SCOPE_ME, "Button", "Install for &me only", kRadio | WS_GROUP, 33, 140, 200, 10},
          {IDC_SCOPE_ALL, "Button", "Install for &all users", kRadio, 33, 153, 200, 10},
          {IDC_REQUIRED_BULLET, "Static", "", SS_BITMAP, 36, 111, 15, 13},
          {IDC_FREE_BULLET, "Static", "", SS_BITMAP, 36, 121, 15, 13},
          {IDCANCEL, "Button", "Cancel", kPush, 165, 194, 50, 14},
          {IDOK, "Button", "", kDefault, 219, 194, 50, 14}}},
        {IDD_LICENCE_PAGE,
         "xxxxx Installation",
         kPage,
         0,
         0,
         281,
         215,
         {kBanner,
          {IDC_LICENCE_TEXT, "Edit", "",
           ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 7, 57,
           267, 127},
          {IDCANCEL, "Button", "<< &Back", kPush, 165, 194, 50, 14},
          {IDOK, "Button", "Install >>", kDefault, 219, 194, 50, 14}}},
        {IDD_CONTAINER,
         "Installer",
         WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
         32,
         32,
         186,
         47,
         {{IDCANCEL, "Button", "Cancel", kPush, 68, 26, 50, 14},
          {IDC_CONTAINER_COUNTER, "Static", "Running install xx of xx", SS_LEFT, 7, 7, 72, 8}}},
        {IDD_UNINSTALL,
         "Uninstall",
         WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER,
         0,
         0,
         281,
         90,
         {{IDC_UNINSTALL_TEXT, "Static", "Uninstalling x", SS_LEFT | WS_GROUP, 7, 47, 267, 8},
          {IDC_UNINSTALL_PROGRESS, "msctls_progress32", "Progress1", kBar, 7, 62, 267, 10},
          {IDC_UNINSTALL_BANNER, "Static", "", SS_BITMAP, 0, 0, 15, 13}}},
        {IDD_FINISH_PAGE,
         "xxxxx Installation",
         kPage,
         0,
         0,
         281,
         215,
         {{IDOK, "Button", "Finish", kDefault, 219, 194, 50, 14}, kBanner}},
    };
}

// Reads the words of a DLGTEMPLATE resource in order.
class TemplateReader {
  public:
    explicit TemplateReader(const void* data) : at_(static_cast<const BYTE*>(data)) {}
    DWORD Dword() {
        DWORD value;
        std::memcpy(&value, at_, 4);
        at_ += 4;
        return value;
    }
    WORD Word() {
        WORD value;
        std::memcpy(&value, at_, 2);
        at_ += 2;
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    // A wide string, or 0xFFFF and an ordinal (given back as "#n").
    std::string NameOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) {
            return "#" + std::to_string(Word());
        }
        std::string text;
        for (WORD c = first; c != 0; c = Word()) {
            text.push_back(static_cast<char>(c));
        }
        return text;
    }
    void AlignToDword() {
        while (reinterpret_cast<uintptr_t>(at_) % 4 != 0) {
            ++at_;
        }
    }

  private:
    const BYTE* at_;
};

// The ordinals of the predefined control classes; names are compared
// without regard to case, as Windows does.
bool IsClass(const char* expected, const std::string& name) {
    if (name == "#128")
        return std::strcmp(expected, "Button") == 0;
    if (name == "#129")
        return std::strcmp(expected, "Edit") == 0;
    if (name == "#130")
        return std::strcmp(expected, "Static") == 0;
    return lstrcmpiA(expected, name.c_str()) == 0;
}

const void* ResourceData(HMODULE module, int id, LPCSTR type, DWORD* size) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) {
        return nullptr;
    }
    if (size != nullptr) {
        *size = SizeofResource(module, found);
    }
    return LockResource(LoadResource(module, found));
}

void CheckTemplate(const DialogSpec& spec) {
    SCOPED_TRACE("dialog " + std::to_string(spec.id));
    const void* data = ResourceData(GetModuleHandleA(nullptr), spec.id, RT_DIALOG, nullptr);
    ASSERT_NE(nullptr, data);
    TemplateReader reader(data);
    // An extended template: version 1, signature 0xFFFF, help id, extended
    // style, style.
    EXPECT_EQ(1, reader.Word());
    EXPECT_EQ(0xFFFF, reader.Word());
    reader.Dword();
    reader.Dword();
    DWORD style = reader.Dword();
    EXPECT_EQ(spec.style | DS_SHELLFONT, style & ~WS_VISIBLE);
    WORD count = reader.Word();
    EXPECT_EQ(spec.x, reader.Short());
    EXPECT_EQ(spec.y, reader.Short());
    EXPECT_EQ(spec.cx, reader.Short());
    EXPECT_EQ(spec.cy, reader.Short());
    EXPECT_EQ("", reader.NameOrOrdinal());  // menu
    EXPECT_EQ("", reader.NameOrOrdinal());  // class
    EXPECT_EQ(spec.caption, reader.NameOrOrdinal());
    EXPECT_EQ(8, reader.Word());
    reader.Word();  // weight
    reader.Word();  // italic, character set
    EXPECT_EQ("MS Shell Dlg 2", reader.NameOrOrdinal());
    ASSERT_EQ(spec.controls.size(), count);
    for (const ControlSpec& control : spec.controls) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        reader.AlignToDword();
        reader.Dword();  // help id
        reader.Dword();  // extended style
        DWORD control_style = reader.Dword();
        EXPECT_EQ(control.style | WS_CHILD | WS_VISIBLE,
                  control_style & (control.style | WS_CHILD | WS_VISIBLE));
        EXPECT_EQ(control.x, reader.Short());
        EXPECT_EQ(control.y, reader.Short());
        EXPECT_EQ(control.cx, reader.Short());
        EXPECT_EQ(control.cy, reader.Short());
        EXPECT_EQ(static_cast<DWORD>(control.id), reader.Dword());
        std::string class_name = reader.NameOrOrdinal();
        EXPECT_TRUE(IsClass(control.class_name, class_name)) << class_name;
        EXPECT_EQ(control.text, reader.NameOrOrdinal());
        reader.Word();  // no creation data
    }
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::vector<int> IconSizes(int group) {
    const BYTE* data = static_cast<const BYTE*>(
        ResourceData(GetModuleHandleA(nullptr), group, RT_GROUP_ICON, nullptr));
    std::vector<int> sizes;
    if (data == nullptr) {
        return sizes;
    }
    // A 6-byte header with the count, then 14-byte entries starting with
    // width and height.
    WORD count = static_cast<WORD>(data[4] | data[5] << 8);
    for (WORD entry = 0; entry < count; ++entry) {
        const BYTE* at = data + 6 + 14 * entry;
        EXPECT_EQ(at[0], at[1]) << "icon " << group << " is not square";
        sizes.push_back(at[0] == 0 ? 256 : at[0]);
    }
    return sizes;
}

}  // namespace

TEST(Resources, DialogTemplatesHoldTheControlsThePagesUse) {
    for (const DialogSpec& spec : Dialogs()) {
        CheckTemplate(spec);
    }
}

TEST(Resources, EveryDialogCanBeCreated) {
    ui::InitPageControls();
    for (const DialogSpec& spec : Dialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(spec.id));
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(spec.id),
                                         nullptr, QuietDialog, 0);
        ASSERT_NE(nullptr, dialog) << "error " << GetLastError();
        for (const ControlSpec& control : spec.controls) {
            HWND child = GetDlgItem(dialog, control.id);
            ASSERT_NE(nullptr, child) << "control " << control.id;
            char class_name[64] = "";
            GetClassNameA(child, class_name, sizeof class_name);
            EXPECT_STREQ(control.class_name, class_name);
        }
        RECT client = {};
        GetClientRect(dialog, &client);
        RECT expected = {0, 0, spec.cx, spec.cy};
        MapDialogRect(dialog, &expected);
        EXPECT_EQ(expected.right, client.right);
        EXPECT_EQ(expected.bottom, client.bottom);
        DestroyWindow(dialog);
    }
}

TEST(Resources, IconsComeAtTheirSizes) {
    EXPECT_EQ((std::vector<int>{16, 32}), IconSizes(IDI_PROGRAM));
    for (int group :
         {IDI_RUN_PROGRAM, IDI_CREATE_SHORTCUT, IDI_REBOOT, IDI_UNCHECKED, IDI_CHECKED}) {
        EXPECT_EQ(std::vector<int>{16}, IconSizes(group)) << "icon " << group;
        HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(group), IMAGE_ICON, 0,
                                 0, LR_DEFAULTCOLOR);
        EXPECT_NE(nullptr, icon) << "icon " << group;
        DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST(Resources, CheckBoxesFillExactlyTheClickZone) {
    // The check list toggles on the thirteen columns from the box's left
    // edge; the box pictures cover those and leave the rest transparent.
    for (int group : {IDI_UNCHECKED, IDI_CHECKED}) {
        SCOPED_TRACE("icon " + std::to_string(group));
        auto icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(group), IMAGE_ICON, 0, 0, 0));
        testing_support::PixelCanvas canvas(16, 16, testing_support::kBlue);
        DrawIconEx(canvas.Dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        EXPECT_EQ(0, canvas.Count(testing_support::kBlue, 0, 1, 13, 14));
        EXPECT_EQ(16 * 3, canvas.Count(testing_support::kBlue, 13, 0, 16, 16));
    }
}

TEST(Resources, BitmapsArePalettedForTransparentLoading) {
    for (int id : {IDB_FOLDER, IDB_BULLET}) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(
            ResourceData(GetModuleHandleA(nullptr), id, RT_BITMAP, nullptr));
        ASSERT_NE(nullptr, header);
        EXPECT_LE(header->biBitCount, 8) << "bitmap " << id;
    }
}

TEST(Resources, StubAsksForNoElevationAndTheCommonControls) {
    HMODULE stub = LoadLibraryExA(VORNAK_STUB_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, stub);
    DWORD size = 0;
    const char* manifest = static_cast<const char*>(
        ResourceData(stub, 1, MAKEINTRESOURCEA(24), &size));  // RT_MANIFEST
    ASSERT_NE(nullptr, manifest);
    std::string text(manifest, size);
    // An install for one user needs no administrator; one for all users
    // starts itself again with the rights.
    EXPECT_NE(std::string::npos, text.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, text.find("Microsoft.Windows.Common-Controls"));
    // Current Windows versions, and pages laid out for each monitor's scale.
    for (const char* windows_10 :
         {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "PerMonitorV2", ">true/pm<"}) {
        EXPECT_NE(std::string::npos, text.find(windows_10)) << windows_10;
    }
    EXPECT_NE(nullptr, FindResourceA(stub, MAKEINTRESOURCEA(IDD_MAIN_PAGE), RT_DIALOG));
    EXPECT_NE(nullptr, FindResourceA(stub, MAKEINTRESOURCEA(IDI_PROGRAM), RT_GROUP_ICON));
    FreeLibrary(stub);
}
