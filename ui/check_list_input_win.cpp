// The check list's window procedure: up, down and space on the keyboard, a
// click on a row's check box, and screen readers' requests for its object.
#include <windowsx.h>

#include <new>

#include "ui/check_list.h"

namespace ui {

namespace {

// Kept in the list window's user data.
struct SubclassRecord {
    CheckList* owner;
    WNDPROC previous;
};

SubclassRecord* RecordOf(HWND window) {
    return reinterpret_cast<SubclassRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The check box is drawn six layout pixels into the row and is thirteen wide.
constexpr int kBoxLeft = 6;
constexpr int kBoxRight = 19;

}  // namespace

CheckList* CheckListOfWindow(HWND window) {
    SubclassRecord* record = RecordOf(window);
    return record != nullptr ? record->owner : nullptr;
}

LRESULT CALLBACK CheckListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    SubclassRecord* record = RecordOf(window);
    if (record == nullptr) {
        return 0;
    }
    CheckList* list = record->owner;
    WNDPROC previous = record->previous;
    switch (message) {
        case WM_KEYDOWN:
            if (wparam == VK_DOWN || wparam == VK_UP) {
                list->MoveSelection(wparam == VK_DOWN ? 1 : -1);
                return 0;
            }
            if (wparam == VK_SPACE && list->ToggleSelected()) {
                return 0;
            }
            break;
        case WM_GETOBJECT: {
            LRESULT answer = AnswerAccessibilityRequest(window, wparam, lparam);
            if (answer != 0) {
                return answer;
            }
            break;
        }
        case WM_LBUTTONUP:
            list->OnButtonUp(lparam);
            break;
        case WM_NCDESTROY:
            list->Unsubclass();
            list->OnWindowGone();
            break;
    }
    return CallWindowProcA(previous, window, message, wparam, lparam);
}

void CheckList::Subclass() {
    auto* record = new (std::nothrow) SubclassRecord{this, nullptr};
    if (record == nullptr) {
        return;
    }
    record->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list_window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CheckListProc)));
    SetWindowLongPtrA(list_window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
}

void CheckList::Unsubclass() {
    SubclassRecord* record = RecordOf(list_window_);
    if (record == nullptr) {
        return;
    }
    SetWindowLongPtrA(list_window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->previous));
    SetWindowLongPtrA(list_window_, GWLP_USERDATA, 0);
    delete record;
}

void CheckList::MoveSelection(int step) {
    int selected = SelectedIndex();
    if (step > 0) {
        if (selected < 0) {
            SelectRow(0);
        } else if (selected < RowCount() - 1) {
            SelectRow(selected + 1);
        }
    } else if (selected > 0) {
        SelectRow(selected - 1);
    }
}

void CheckList::OnButtonUp(LPARAM position) {
    // The list box has selected the row on button down. The position is the
    // one the release happened at, in the list's client coordinates.
    int index = SelectedIndex();
    const CheckListRow* row = RowAt(index);
    if (row == nullptr || row->kind != kCheckRow) {
        return;
    }
    RECT rectangle = {};
    SendMessageA(list_window_, LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&rectangle));
    int x = GET_X_LPARAM(position);
    int y = GET_Y_LPARAM(position);
    if (rectangle.left + Scaled(kBoxLeft) <= x && x < rectangle.left + Scaled(kBoxRight) &&
        rectangle.top < y && y < rectangle.bottom) {
        ToggleSelected();
    }
}

}  // namespace ui
