// The check list: creation, rows, the parent's owner-draw messages and
// toggling. Drawing and input live in their own files.
#include "ui/check_list.h"

#include <new>

#include "support/text.h"

namespace ui {

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP |
                             LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                             LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT;
static_assert(kListStyle == 0x50A10551, "check list style");

// Drawing a row may make the parent send further owner-draw messages; they
// are left to the parent's default handling instead of nesting.
unsigned char g_handler_busy = 0;

}  // namespace

CheckList::CheckList(HWND parent, int x, int y, int width, int height, HINSTANCE instance,
                     int label_column)
    : layout_{x, y, x + width, y + height}, label_column_(label_column) {
    list_window_ = CreateWindowExA(0, "LISTBOX", "", kListStyle, x, y, width, height, parent,
                                   nullptr, instance, nullptr);
    if (list_window_ == nullptr) {
        return;
    }
    LRESULT parent_font = SendMessageA(GetParent(list_window_), WM_GETFONT, 0, 0);
    SendMessageA(list_window_, WM_SETFONT, static_cast<WPARAM>(parent_font), TRUE);
    // Tab reaches the list first, as it stands above the page's buttons.
    SetWindowPos(list_window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    AssignControlId(parent);
    FollowDpi();
    Subclass();
}

void CheckList::FollowDpi() {
    dpi_ = WindowDpi(GetParent(list_window_));
    text_font_.Create(kDialogFace, Scaled(13), 0, false, false, false, true, kPageBlack, 0);
    // The list box asks for its row height while it is being created, before
    // it has the id that WM_MEASUREITEM is matched on, so the height is set
    // outright.
    SendMessageA(list_window_, LB_SETITEMHEIGHT, 0, Scaled(kRowHeight));
    SetWindowPos(list_window_, nullptr, Scaled(layout_.left), Scaled(layout_.top),
                 Scaled(layout_.right - layout_.left), Scaled(layout_.bottom - layout_.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(list_window_, nullptr, TRUE);
}

CheckList::~CheckList() {
    if (list_window_ != nullptr) {
        Unsubclass();
    }
    for (int32_t index = 0; index < rows_.Count(); ++index) {
        delete static_cast<CheckListRow*>(rows_.GetAt(index));
    }
    rows_.Clear();
}

DWORD FreeControlId(HWND parent, DWORD start) {
    // The list's notifications carry its low word as the command id, so a
    // low word that names another control of the page (its Finish button is
    // 1) would press that control.
    DWORD id = start;
    while (LOWORD(id) == 0 || LOWORD(id) == 0xFFFF || GetDlgItem(parent, LOWORD(id)) != nullptr) {
        ++id;
    }
    return id;
}

void CheckList::AssignControlId(HWND parent) {
    control_id_ = static_cast<int>(FreeControlId(parent, GetTickCount()));
    SetWindowLongPtrA(list_window_, GWLP_ID, static_cast<LONG_PTR>(control_id_));
}

void CheckList::SetCheckIcons(HICON checked, HICON unchecked) {
    checked_icon_ = checked;
    unchecked_icon_ = unchecked;
}

bool CheckList::AddRow(const char* label, const char* description, int kind, HICON icon,
                       int position) {
    if (list_window_ == nullptr || position < -1 || position > rows_.Count()) {
        return false;
    }
    auto* row = new (std::nothrow)
        CheckListRow{support::HeapString(label), support::HeapString(description), 1, icon, kind};
    if (row == nullptr) {
        return false;
    }
    // The list's own items are empty strings; they only keep the indexes in
    // step with the rows.
    LRESULT index = position == -1
                        ? SendMessageA(list_window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""))
                        : SendMessageA(list_window_, LB_INSERTSTRING, static_cast<WPARAM>(position),
                                       reinterpret_cast<LPARAM>(""));
    if (index < 0) {
        delete row;
        return false;
    }
    bool stored = position == -1 ? rows_.Append(row) : rows_.InsertAt(position, row);
    if (!stored) {
        SendMessageA(list_window_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        delete row;
    }
    return stored;
}

bool CheckList::HandleParentMessage(HWND /*parent*/, UINT message, WPARAM /*wparam*/,
                                    LPARAM lparam) {
    if (g_handler_busy != 0 || list_window_ == nullptr) {
        return false;
    }
    g_handler_busy = 1;
    bool handled = false;
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        if (measure->CtlID == static_cast<UINT>(control_id_)) {
            measure->itemHeight = static_cast<UINT>(Scaled(kRowHeight));
            handled = true;
        }
    } else if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
        if (item->hwndItem == list_window_) {
            DrawRow(*item);
            handled = true;
        }
    }
    g_handler_busy = 0;
    return handled;
}

CheckListRow* CheckList::RowAt(int index) const {
    if (index < 0 || index >= rows_.Count()) {
        return nullptr;
    }
    return static_cast<CheckListRow*>(rows_.GetAt(index));
}

bool CheckList::IsChecked(int index) const {
    const CheckListRow* row = RowAt(index);
    return row != nullptr && row->checked != 0;
}

bool CheckList::IsCheckRow(int index) const {
    const CheckListRow* row = RowAt(index);
    return row != nullptr && row->kind == kCheckRow;
}

void CheckList::RowName(int index, char* out, size_t capacity) const {
    const CheckListRow* row = RowAt(index);
    if (row == nullptr) {
        support::CopyText(out, capacity, "");
        return;
    }
    support::CopyText(out, capacity, row->label.Text());
    if (row->description.Text()[0] != '\0') {
        support::AppendText(out, capacity, ": ");
        support::AppendText(out, capacity, row->description.Text());
    }
}

int CheckList::SelectedIndex() const {
    return static_cast<int>(SendMessageA(list_window_, LB_GETCURSEL, 0, 0));
}

void CheckList::SelectRow(int index) {
    SendMessageA(list_window_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool CheckList::ToggleSelected() {
    int index = SelectedIndex();
    CheckListRow* row = RowAt(index);
    if (row == nullptr || row->kind != kCheckRow) {
        return false;
    }
    RECT rectangle = {};
    SendMessageA(list_window_, LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&rectangle));
    row->checked = row->checked != 0 ? 0 : 1;
    // Only this row changes; its white background is painted by the row itself.
    InvalidateRect(list_window_, &rectangle, FALSE);
    return true;
}

}  // namespace ui
