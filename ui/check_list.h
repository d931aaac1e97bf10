// The finish page's list of actions, each row with a check box: an
// owner-drawn LISTBOX, drawn through the parent's WM_DRAWITEM and subclassed
// for the check-box clicks, the keys and screen readers. Only Windows code
// includes this header.
#pragma once

#include <windows.h>

#include "support/heap_string.h"
#include "support/ptr_array.h"
#include "ui/page_painting.h"

namespace ui {

// Only rows of this kind get a check box and can be toggled.
constexpr int kCheckRow = 10;

struct CheckListRow {
    support::HeapString label;        // short name, drawn first
    support::HeapString description;  // drawn in the description column
    unsigned char checked;            // 1: ticked
    HICON icon;                       // 16 x 16, drawn before the label; may be null
    int kind;
};

// The control id a list made at tick count start takes among parent's
// controls: start, or the first value after it whose low word is neither 0,
// 0xFFFF nor the id of another control of parent.
DWORD FreeControlId(HWND parent, DWORD start);

class CheckList {
  public:
    // Every row is this many layout pixels high: room for the 16-pixel icons.
    static constexpr int kRowHeight = 20;

    // Creates the list window as a child of parent. label_column is the x
    // position at which the description column starts. Positions and sizes
    // are those of the 96-DPI layout; the list scales them to the parent's
    // DPI.
    CheckList(HWND parent, int x, int y, int width, int height, HINSTANCE instance,
              int label_column);
    // Unhooks the list window (when it still exists) and frees the rows.
    ~CheckList();
    CheckList(const CheckList&) = delete;
    CheckList& operator=(const CheckList&) = delete;

    // Without both icons no check box is drawn; rows still toggle.
    void SetCheckIcons(HICON checked, HICON unchecked);
    // position -1 appends; otherwise the row is inserted at that index.
    // Every new row is ticked. Returns false when the row could not be added.
    bool AddRow(const char* label, const char* description, int kind, HICON icon, int position);
    // The parent's dialog procedure calls this first for every message and
    // returns TRUE at once when it answers true.
    bool HandleParentMessage(HWND parent, UINT message, WPARAM wparam, LPARAM lparam);
    // False for an index outside the rows.
    bool IsChecked(int index) const;
    // Toggles the selected row when it is a check row; true when it did.
    bool ToggleSelected();
    void SelectRow(int index);
    // Lays the list out again for the parent's DPI (after WM_DPICHANGED).
    void FollowDpi();
    // The row's text as a screen reader reads it ("Run Program: Tool") and
    // whether it has a check box.
    void RowName(int index, char* out, size_t capacity) const;
    bool IsCheckRow(int index) const;
    // A length of the 96-DPI layout at the list's DPI.
    int Scaled(int pixels) const { return ScaleToDpi(pixels, dpi_); }

    HWND Window() const { return list_window_; }
    int ControlId() const { return control_id_; }
    int RowCount() const { return rows_.Count(); }

  private:
    friend LRESULT CALLBACK CheckListProc(HWND, UINT, WPARAM, LPARAM);

    CheckListRow* RowAt(int index) const;
    void AssignControlId(HWND parent);
    void Subclass();
    void Unsubclass();
    void DrawRow(const DRAWITEMSTRUCT& item);
    int SelectedIndex() const;
    void MoveSelection(int step);
    void OnButtonUp(LPARAM position);
    void OnWindowGone() { list_window_ = nullptr; }

    int control_id_ = 0;
    PageFont text_font_;
    RECT layout_;  // in the 96-DPI layout
    int label_column_;
    int dpi_ = kLayoutDpi;
    HWND list_window_ = nullptr;
    support::PtrArray rows_;
    HICON checked_icon_ = nullptr;
    HICON unchecked_icon_ = nullptr;
};

// The check list of a list window, or null once the list has let it go.
CheckList* CheckListOfWindow(HWND window);
// WM_GETOBJECT for the list window: the list's accessible object for
// OBJID_CLIENT, 0 (the list box's own answer) otherwise.
LRESULT AnswerAccessibilityRequest(HWND window, WPARAM wparam, LPARAM lparam);

// Shortens label until it is narrower than room pixels, marking a cut with
// "..."; the result goes into out (capacity bytes). Empty when not even one
// character fits.
void FitRowLabel(HDC dc, const PageFont& font, const char* label, int room, char* out,
                 size_t capacity);

}  // namespace ui
