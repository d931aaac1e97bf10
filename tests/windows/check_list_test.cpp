// The check list in a real window: rows, keys, clicks on the check box, the
// drawing of a row into a memory bitmap, and what a screen reader hears.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <cstring>
#include <memory>
#include <string>

#include "tests/windows/pixel_canvas.h"
#include "ui/check_list.h"

using testing_support::kBlack;
using testing_support::kBlue;
using testing_support::kGreen;
using testing_support::kNavy;
using testing_support::kRed;
using testing_support::kWhite;
using testing_support::MakeSolidIcon;
using testing_support::PixelCanvas;

namespace {

constexpr int kLabelColumn = 125;

ui::CheckList* g_hosted = nullptr;

// The page stand-in: gives every message to the check list first.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (g_hosted != nullptr && g_hosted->HandleParentMessage(window, message, wparam, lparam)) {
        return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class CheckListTest : public testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA host_class = {};
        host_class.lpfnWndProc = HostProc;
        host_class.hInstance = GetModuleHandleA(nullptr);
        host_class.lpszClassName = "VornakCheckListHost";
        RegisterClassA(&host_class);
        host_ = CreateWindowExA(0, "VornakCheckListHost", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 440,
                                330, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, host_) << "no window: error " << GetLastError();
        list_ = std::make_unique<ui::CheckList>(host_, 10, 92, 400, 208, GetModuleHandleA(nullptr),
                                                kLabelColumn);
        g_hosted = list_.get();
        ASSERT_NE(nullptr, list_->Window());
        checked_ = MakeSolidIcon(kRed);
        unchecked_ = MakeSolidIcon(kGreen);
        row_icon_ = MakeSolidIcon(kBlue);
        list_->SetCheckIcons(checked_, unchecked_);
    }

    void TearDown() override {
        g_hosted = nullptr;
        list_.reset();
        DestroyWindow(host_);
        DestroyIcon(checked_);
        DestroyIcon(unchecked_);
        DestroyIcon(row_icon_);
    }

    void AddRows(int count) {
        for (int row = 0; row < count; ++row) {
            ASSERT_TRUE(list_->AddRow("Run Program", "Tool", ui::kCheckRow, row_icon_, -1));
        }
    }

    LRESULT Send(UINT message, WPARAM wparam, LPARAM lparam) {
        return SendMessageA(list_->Window(), message, wparam, lparam);
    }
    int Selection() { return static_cast<int>(Send(LB_GETCURSEL, 0, 0)); }
    void Key(WPARAM key) { Send(WM_KEYDOWN, key, 1); }
    RECT RowRect(int index) {
        RECT rectangle = {};
        Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rectangle));
        return rectangle;
    }
    // The release of a click on the selected row, at a list position.
    void ReleaseAt(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

    // Draws row index into a fresh canvas the size of one row.
    std::unique_ptr<PixelCanvas> DrawRow(int index, UINT state) {
        auto canvas = std::make_unique<PixelCanvas>(400, ui::CheckList::kRowHeight, kBlue);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_LISTBOX;
        item.CtlID = static_cast<UINT>(list_->ControlId());
        item.itemID = static_cast<UINT>(index);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = list_->Window();
        item.hDC = canvas->Dc();
        item.rcItem = {0, 0, 400, ui::CheckList::kRowHeight};
        EXPECT_TRUE(list_->HandleParentMessage(host_, WM_DRAWITEM, item.CtlID,
                                               reinterpret_cast<LPARAM>(&item)));
        return canvas;
    }

    HWND host_ = nullptr;
    std::unique_ptr<ui::CheckList> list_;
    HICON checked_ = nullptr;
    HICON unchecked_ = nullptr;
    HICON row_icon_ = nullptr;
};

}  // namespace

TEST_F(CheckListTest, NewRowsAreTickedAndStayInStepWithTheListItems) {
    AddRows(2);
    EXPECT_EQ(2, Send(LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, Send(LB_GETTEXTLEN, 0, 0));
    EXPECT_TRUE(list_->IsChecked(0));
    EXPECT_TRUE(list_->IsChecked(1));
    EXPECT_FALSE(list_->IsChecked(2));
    EXPECT_FALSE(list_->IsChecked(-1));

    list_->SelectRow(0);
    ASSERT_TRUE(list_->ToggleSelected());
    ASSERT_TRUE(list_->AddRow("Reboot", "", ui::kCheckRow, nullptr, 0));
    EXPECT_EQ(3, Send(LB_GETCOUNT, 0, 0));
    EXPECT_TRUE(list_->IsChecked(0));
    EXPECT_FALSE(list_->IsChecked(1));

    EXPECT_FALSE(list_->AddRow("Far", "", ui::kCheckRow, nullptr, 5));
    EXPECT_FALSE(list_->AddRow("Far", "", ui::kCheckRow, nullptr, -2));
    EXPECT_EQ(3, list_->RowCount());
    EXPECT_EQ(3, Send(LB_GETCOUNT, 0, 0));
}

TEST_F(CheckListTest, RowsAreTwentyPixelsHighAndMeasuredOnlyForTheirOwnId) {
    AddRows(2);
    EXPECT_EQ(ui::CheckList::kRowHeight, Send(LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(ui::CheckList::kRowHeight, RowRect(1).top);
    EXPECT_EQ(list_->ControlId(), GetWindowLongPtrA(list_->Window(), GWLP_ID));

    MEASUREITEMSTRUCT measure = {ODT_LISTBOX, static_cast<UINT>(list_->ControlId()), 0, 0, 7, 0};
    EXPECT_TRUE(
        list_->HandleParentMessage(host_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(20u, measure.itemHeight);
    MEASUREITEMSTRUCT other = {ODT_LISTBOX, measure.CtlID + 1, 0, 0, 7, 0};
    EXPECT_FALSE(
        list_->HandleParentMessage(host_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&other)));
    EXPECT_EQ(7u, other.itemHeight);
    EXPECT_FALSE(list_->HandleParentMessage(host_, WM_COMMAND, 0, 0));
}

TEST_F(CheckListTest, TheClockGivesAnIdNoOtherControlOfThePageHas) {
    // The finish page's own buttons: a list whose low word were 1 would
    // press Finish with every notification it sends.
    for (int id : {1, 2}) {
        ASSERT_NE(nullptr, CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 10, 10, host_,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           GetModuleHandleA(nullptr), nullptr));
    }
    EXPECT_EQ(0x70000003u, ui::FreeControlId(host_, 0x70000001));
    EXPECT_EQ(0x70010003u, ui::FreeControlId(host_, 0x7000FFFF));
    EXPECT_EQ(0x70000005u, ui::FreeControlId(host_, 0x70000005));
}

TEST_F(CheckListTest, ArrowKeysMoveTheSelectionWithinTheRows) {
    AddRows(3);
    Key(VK_UP);
    EXPECT_EQ(LB_ERR, Selection());
    Key(VK_DOWN);
    EXPECT_EQ(0, Selection());
    Key(VK_UP);
    EXPECT_EQ(0, Selection());
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(2, Selection());
    Key(VK_DOWN);
    EXPECT_EQ(2, Selection());
    Key(VK_UP);
    EXPECT_EQ(1, Selection());
}

TEST_F(CheckListTest, SpaceTogglesTheSelectedCheckRowAndRepaintsOnlyIt) {
    AddRows(3);
    ASSERT_TRUE(list_->AddRow("Note", "not a check row", 0, nullptr, -1));
    Key(VK_SPACE);
    EXPECT_TRUE(list_->IsChecked(0) && list_->IsChecked(1) && list_->IsChecked(2));

    list_->SelectRow(1);
    UpdateWindow(list_->Window());
    ValidateRect(list_->Window(), nullptr);
    Key(VK_SPACE);
    EXPECT_FALSE(list_->IsChecked(1));
    EXPECT_TRUE(list_->IsChecked(0));
    EXPECT_TRUE(list_->IsChecked(2));
    RECT update = {};
    ASSERT_TRUE(GetUpdateRect(list_->Window(), &update, FALSE));
    RECT row = RowRect(1);
    EXPECT_TRUE(EqualRect(&row, &update));
    Key(VK_SPACE);
    EXPECT_TRUE(list_->IsChecked(1));

    list_->SelectRow(3);
    Key(VK_SPACE);
    EXPECT_TRUE(list_->IsChecked(3));
}

TEST_F(CheckListTest, ReleaseTogglesOnlyOnTheThirteenPixelBox) {
    AddRows(2);
    list_->SelectRow(1);
    RECT row = RowRect(1);
    int middle = row.top + 10;
    ReleaseAt(row.left + 5, middle);
    ReleaseAt(row.left + 19, middle);
    ReleaseAt(row.left + 10, row.top);
    ReleaseAt(row.left + 10, row.bottom);
    ReleaseAt(row.left + 60, middle);
    EXPECT_TRUE(list_->IsChecked(1));
    ReleaseAt(row.left + 6, middle);
    EXPECT_FALSE(list_->IsChecked(1));
    ReleaseAt(row.left + 18, row.top + 1);
    EXPECT_TRUE(list_->IsChecked(1));
    EXPECT_TRUE(list_->IsChecked(0));
}

TEST_F(CheckListTest, RowShowsBoxIconAndTextOnWhite) {
    ASSERT_TRUE(list_->AddRow("Run Program", "Tool", ui::kCheckRow, row_icon_, -1));
    auto ticked = DrawRow(0, 0);
    EXPECT_EQ(kWhite, ticked->Pixel(3, 8));
    EXPECT_EQ(kRed, ticked->Pixel(6, 0));
    EXPECT_EQ(kRed, ticked->Pixel(21, 15));
    EXPECT_EQ(kBlue, ticked->Pixel(22, 0));
    EXPECT_EQ(kBlue, ticked->Pixel(37, 15));
    EXPECT_EQ(kWhite, ticked->Pixel(38, 17));
    EXPECT_GT(ticked->Count(kBlack, 40, 0, kLabelColumn, 20), 0);
    EXPECT_GT(ticked->Count(kBlack, kLabelColumn + 2, 0, 400, 20), 0);
    EXPECT_EQ(0, ticked->Count(kNavy, 0, 0, 400, 20));

    list_->SelectRow(0);
    list_->ToggleSelected();
    EXPECT_EQ(kGreen, DrawRow(0, 0)->Pixel(10, 8));

    list_->SetCheckIcons(checked_, nullptr);
    EXPECT_EQ(kWhite, DrawRow(0, 0)->Pixel(10, 8));
}

TEST_F(CheckListTest, SelectedRowIsNavyAroundTheLabelOnly) {
    ASSERT_TRUE(list_->AddRow("Run", "Tool", ui::kCheckRow, row_icon_, -1));
    auto selected = DrawRow(0, ODS_SELECTED);
    EXPECT_GT(selected->Count(kNavy, 38, 0, 80, 20), 0);
    EXPECT_GT(selected->Count(kWhite, 40, 1, 70, 18), 0);
    EXPECT_EQ(0, selected->Count(kNavy, 0, 0, 38, 20));
    EXPECT_EQ(0, selected->Count(kNavy, 100, 0, 400, 20));
    EXPECT_EQ(kRed, selected->Pixel(10, 8));
    EXPECT_GT(selected->Count(kBlack, kLabelColumn + 2, 0, 400, 20), 0);
}

TEST_F(CheckListTest, LongLabelIsCutBeforeTheDescriptionColumn) {
    const char* label = "Create a shortcut with a very long name indeed";
    ASSERT_TRUE(list_->AddRow(label, "Tool", ui::kCheckRow, nullptr, -1));
    ASSERT_TRUE(list_->AddRow(label, "", ui::kCheckRow, nullptr, -1));
    auto cut = DrawRow(0, 0);
    EXPECT_GT(cut->Count(kBlack, 40, 0, 120, 20), 0);
    EXPECT_EQ(0, cut->Count(kBlack, 120, 0, kLabelColumn + 2, 20));
    auto whole = DrawRow(1, 0);
    EXPECT_GT(whole->Count(kBlack, 130, 0, 400, 20), 0);
}

TEST_F(CheckListTest, RowsOutsideTheListAreJustWhite) {
    AddRows(1);
    auto none = DrawRow(-1, 0);
    EXPECT_EQ(400 * 20, none->Count(kWhite, 0, 0, 400, 20));
    auto beyond = DrawRow(1, 0);
    EXPECT_EQ(400 * 20, beyond->Count(kWhite, 0, 0, 400, 20));
}

TEST_F(CheckListTest, OutlivesOrPrecedesItsWindowSafely) {
    AddRows(2);
    HWND window = list_->Window();
    g_hosted = nullptr;
    list_.reset();
    EXPECT_EQ(0, GetWindowLongPtrA(window, GWLP_USERDATA));
    SendMessageA(window, WM_KEYDOWN, VK_DOWN, 1);

    list_ = std::make_unique<ui::CheckList>(host_, 0, 0, 100, 100, GetModuleHandleA(nullptr),
                                            kLabelColumn);
    ASSERT_TRUE(DestroyWindow(list_->Window()));
    EXPECT_EQ(nullptr, list_->Window());
    EXPECT_FALSE(list_->AddRow("Run Program", "", ui::kCheckRow, nullptr, -1));
}

TEST(FitRowLabel, CutsWithDotsUntilNarrowerThanTheRoom) {
    PixelCanvas canvas(10, 10, kWhite);
    ui::PageFont font;
    ASSERT_TRUE(font.Create("MS Sans Serif", 13, 0, false, false, false, true, kBlack, 0));
    char out[64];
    ui::FitRowLabel(canvas.Dc(), font, "Run", 80, out, sizeof out);
    EXPECT_STREQ("Run", out);

    const char* label = "Create a shortcut with a long name";
    ui::FitRowLabel(canvas.Dc(), font, label, 80, out, sizeof out);
    size_t length = std::strlen(out);
    ASSERT_GT(length, 3u);
    EXPECT_STREQ("...", out + length - 3);
    EXPECT_EQ(0, std::strncmp(label, out, length - 3));
    EXPECT_LT(font.TextWidth(canvas.Dc(), out), 80);

    ui::FitRowLabel(canvas.Dc(), font, label, 1, out, sizeof out);
    EXPECT_STREQ("", out);

    char small[8];
    ui::FitRowLabel(canvas.Dc(), font, label, 1000, small, sizeof small);
    EXPECT_STREQ("Crea...", small);
}

TEST_F(CheckListTest, AScreenReaderHearsEachRowItsTickAndCanToggleIt) {
    CoInitialize(nullptr);
    ASSERT_TRUE(list_->AddRow("Create Icon", "Desktop", ui::kCheckRow, row_icon_, -1));
    ASSERT_TRUE(list_->AddRow("Reboot", "", ui::kCheckRow, nullptr, -1));
    list_->SelectRow(1);
    ASSERT_TRUE(list_->ToggleSelected());
    IAccessible* reader = nullptr;
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(list_->Window(), OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&reader)));
    // What a reader says for a child: name, role and the ticked state.
    auto said = [&](LONG child) {
        VARIANT id = {};
        id.vt = VT_I4;
        id.lVal = child;
        BSTR name = nullptr;
        VARIANT role = {};
        VARIANT state = {};
        std::string text;
        if (reader->get_accName(id, &name) == S_OK) {
            for (const WCHAR* c = name; *c != 0; ++c) {
                text.push_back(static_cast<char>(*c));
            }
            SysFreeString(name);
        }
        reader->get_accRole(id, &role);
        reader->get_accState(id, &state);
        text += role.lVal == ROLE_SYSTEM_LIST ? " list" : " item";
        text += (state.lVal & STATE_SYSTEM_CHECKED) != 0 ? " [x]" : " [ ]";
        text += (state.lVal & STATE_SYSTEM_SELECTED) != 0 ? " selected" : "";
        return text;
    };
    LONG rows = 0;
    EXPECT_EQ(S_OK, reader->get_accChildCount(&rows));
    EXPECT_EQ(2, rows);
    EXPECT_EQ(" list [ ]", said(CHILDID_SELF));
    EXPECT_EQ("Create Icon: Desktop item [x]", said(1));
    EXPECT_EQ("Reboot item [ ] selected", said(2));
    // The default action toggles the row, as Space does.
    VARIANT first = {};
    first.vt = VT_I4;
    first.lVal = 1;
    EXPECT_EQ(S_OK, reader->accDoDefaultAction(first));
    EXPECT_FALSE(list_->IsChecked(0));
    EXPECT_EQ("Create Icon: Desktop item [ ] selected", said(1));
    first.lVal = 3;
    BSTR none = nullptr;
    EXPECT_EQ(E_INVALIDARG, reader->get_accName(first, &none));
    reader->Release();
    CoUninitialize();
}
