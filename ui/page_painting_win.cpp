// Fonts, pens, bitmaps, the page frame and shadowed text of the wizard pages.
#include "ui/page_painting.h"

#include "support/text.h"

namespace ui {

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr int kFrameLeft = 10;
// LineTo leaves out its end point, so the lines end at x 410.
constexpr int kFrameRight = 411;
constexpr int kBannerSeparatorY = 68;
constexpr int kButtonSeparatorY = 308;

void DrawSeparators(HDC dc, COLORREF colour, int offset, PageFrame frame) {
    PagePen pen(colour, dc, 0, PS_SOLID);
    MoveToEx(dc, kFrameLeft, kBannerSeparatorY + offset, nullptr);
    LineTo(dc, kFrameRight, kBannerSeparatorY + offset);
    if (frame == PageFrame::kWithButtonRow) {
        MoveToEx(dc, kFrameLeft, kButtonSeparatorY + offset, nullptr);
        LineTo(dc, kFrameRight, kButtonSeparatorY + offset);
    }
}

}  // namespace

bool PageFont::Create(const char* face, int height, int width, bool bold, bool italic,
                      bool underline, bool transparent, COLORREF colour, int escapement) {
    Delete();
    transparent_ = transparent;
    colour_ = colour;
    LOGFONTA log_font = {};
    log_font.lfHeight = height;
    log_font.lfWidth = width;
    log_font.lfEscapement = escapement;
    log_font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    log_font.lfItalic = italic ? 1 : 0;
    log_font.lfUnderline = underline ? 1 : 0;
    bool has_face = face != nullptr && face[0] != '\0';
    support::CopyText(log_font.lfFaceName, has_face ? face : "Arial");
    font_ = CreateFontIndirectA(&log_font);
    return font_ != nullptr;
}

BOOL PageFont::Delete() {
    if (font_ == nullptr) {
        return FALSE;
    }
    BOOL deleted = DeleteObject(font_);
    font_ = nullptr;
    return deleted;
}

void PageFont::PaintText(HDC dc, int x, int y, const char* text, const RECT* clip) const {
    if (font_ == nullptr) {
        return;
    }
    SetTextColor(dc, colour_);
    HGDIOBJ previous = SelectObject(dc, font_);
    UINT options = 0;
    if (transparent_) {
        SetBkMode(dc, TRANSPARENT);
    } else {
        // The cell takes the background colour the device context already has.
        SetBkMode(dc, OPAQUE);
        options = ETO_OPAQUE;
    }
    if (clip != nullptr) {
        options |= ETO_CLIPPED;
    }
    ExtTextOutA(dc, x, y, options, clip, text, lstrlenA(text), nullptr);
    SelectObject(dc, previous);
}

SIZE PageFont::TextExtent(HDC dc, const char* text) const {
    SIZE size = {0, 0};
    if (font_ == nullptr) {
        return size;
    }
    HGDIOBJ previous = SelectObject(dc, font_);
    GetTextExtentPointA(dc, text, lstrlenA(text), &size);
    SelectObject(dc, previous);
    return size;
}

int PageFont::TextWidth(HDC dc, const char* text) const {
    return TextExtent(dc, text).cx;
}

int PageFont::TextHeight(HDC dc, const char* text) const {
    return TextExtent(dc, text).cy;
}

PagePen::PagePen(COLORREF colour, HDC dc, int width, int style)
    : pen_(CreatePen(style, width, colour)) {
    Select(dc);
}

void PagePen::Select(HDC dc) {
    Restore();
    if (dc != nullptr) {
        previous_ = SelectObject(dc, pen_);
        dc_ = dc;
    }
}

void PagePen::Restore() {
    if (previous_ != nullptr) {
        SelectObject(dc_, previous_);
        previous_ = nullptr;
    }
}

void PagePen::Delete() {
    Restore();
    if (pen_ != nullptr) {
        DeleteObject(pen_);
        pen_ = nullptr;
    }
}

HBITMAP PageBitmap::Load(const char* file_path, int resource_id, HINSTANCE module,
                         bool transparent) {
    UINT flags = transparent ? LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS : 0;
    HANDLE image;
    if (resource_id != 0) {
        image = LoadImageA(module, MAKEINTRESOURCEA(resource_id), IMAGE_BITMAP, 0, 0, flags);
    } else {
        image = LoadImageA(nullptr, file_path, IMAGE_BITMAP, 0, 0, flags | LR_LOADFROMFILE);
    }
    bitmap_ = static_cast<HBITMAP>(image);
    return bitmap_;
}

void PageBitmap::AssignTo(HWND dialog, int control_id) const {
    SendDlgItemMessageA(dialog, control_id, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(bitmap_));
}

void PaintPageFrame(HDC dc, PageFrame frame) {
    // Grey above white gives an etched groove.
    DrawSeparators(dc, kPageWhite, 1, frame);
    DrawSeparators(dc, kGrey, 0, frame);
}

ShadowedText::ShadowedText() {
    font_.Create("MS Sans Serif", 8, 0, false, false, false, true, kPageBlack, 0);
}

void ShadowedText::Paint(HDC dc, int x, int y, const char* text) {
    font_.SetColour(kPageWhite);
    font_.PaintText(dc, x + 1, y + 1, text, nullptr);
    font_.SetColour(kPageBlack);
    font_.PaintText(dc, x, y, text, nullptr);
}

}  // namespace ui
