// Drawing one check-list row: white background, check box, row icon, the
// label (cut with "..." before the description column) and the description.
#include <cstring>

#include "support/text.h"
#include "ui/check_list.h"

namespace ui {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr int kIconSize = 16;
// Room for a label of a whole path plus the "..." of a cut.
constexpr size_t kShownLabelSize = 264;
const char kEllipsis[] = "...";

void FillWith(HDC dc, const RECT& rectangle, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rectangle, brush);
    DeleteObject(brush);
}

void DrawIconAt(HDC dc, int x, int y, int size, HICON icon) {
    DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace

void FitRowLabel(HDC dc, const PageFont& font, const char* label, int room, char* out,
                 size_t capacity) {
    if (capacity < sizeof kEllipsis + 1) {
        if (capacity > 0) {
            out[0] = '\0';
        }
        return;
    }
    // Keep room for the "..." behind the copy.
    bool cut = !support::CopyText(out, capacity - (sizeof kEllipsis - 1), label);
    size_t length = std::strlen(out);
    while (length > 0) {
        if (cut) {
            std::memcpy(out + length, kEllipsis, sizeof kEllipsis);
        }
        int width = font.TextWidth(dc, out);
        out[length] = '\0';
        if (width < room) {
            break;
        }
        out[--length] = '\0';
        cut = true;
    }
    if (cut && length > 0) {
        std::memcpy(out + length, kEllipsis, sizeof kEllipsis);
    }
}

void CheckList::DrawRow(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    int left = item.rcItem.left;
    int top = item.rcItem.top;
    FillWith(dc, item.rcItem, kPageWhite);
    const CheckListRow* row = RowAt(static_cast<int>(item.itemID));
    if (row == nullptr) {
        return;
    }
    // Offsets of the 96-DPI layout: box, icon, label, description column.
    int icon_size = Scaled(kIconSize);
    int x = left + Scaled(22);
    if (checked_icon_ != nullptr && unchecked_icon_ != nullptr) {
        DrawIconAt(dc, x - icon_size, top, icon_size,
                   row->checked != 0 ? checked_icon_ : unchecked_icon_);
    }
    if (row->icon != nullptr) {
        DrawIconAt(dc, x, top, icon_size, row->icon);
    }
    const char* label = row->label.Text();
    const char* description = row->description.Text();
    RECT label_box = {left + Scaled(38), top, left + Scaled(42) + text_font_.TextWidth(dc, label),
                      top + text_font_.TextHeight(dc, label) + 1};
    text_font_.SetColour(kPageBlack);
    if ((item.itemState & ODS_SELECTED) != 0) {
        FillWith(dc, label_box, kNavy);
        DrawFocusRect(dc, &label_box);
        text_font_.SetColour(kPageWhite);
    }
    int text_x = x + Scaled(18);
    int label_column = Scaled(label_column_);
    char shown[kShownLabelSize];
    if (label[0] != '\0' && description[0] != '\0') {
        FitRowLabel(dc, text_font_, label, label_column - text_x - Scaled(5), shown, sizeof shown);
        label = shown;
    }
    text_font_.PaintText(dc, text_x, top, label, nullptr);
    text_font_.SetColour(kPageBlack);
    text_font_.PaintText(dc, label_column + left + Scaled(2), top, description, nullptr);
}

}  // namespace ui
