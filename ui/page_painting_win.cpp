// Fonts, pens, bitmaps, the page frame and shadowed text of the wizard pages.
#include "ui/page_painting.h"

#include <initializer_list>

#include "support/text.h"

namespace ui {

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr int kFrameLeft = 10;
// The right edge is left out, so the lines end at x 410.
constexpr int kFrameRight = 411;
constexpr int kBannerSeparatorY = 68;
constexpr int kButtonSeparatorY = 308;

// Program text as GDI's wide calls take it: on Windows, GDI's -A calls read
// the system's code page, not the UTF-8 the manifest gives every other -A
// call. As long as the longest page text, the status line, in characters.
struct WideText {
    explicit WideText(const char* program_text) {
        int count =
            MultiByteToWideChar(CP_ACP, 0, program_text, -1, text, sizeof text / sizeof text[0]);
        length = count > 0 ? count - 1 : 0;
        text[length] = L'\0';
    }
    wchar_t text[1100];
    int length = 0;
};

// Each line of the groove is one layout pixel thick, so as many device
// pixels as that scales to.
void DrawSeparators(HDC dc, COLORREF colour, int offset, PageFrame frame, int dpi) {
    int thickness = ScaleToDpi(1, dpi);
    HBRUSH brush = CreateSolidBrush(colour);
    for (int y : {kBannerSeparatorY, kButtonSeparatorY}) {
        if (y == kButtonSeparatorY && frame != PageFrame::kWithButtonRow) {
            break;
        }
        int top = ScaleToDpi(y + offset, dpi);
        RECT line = {ScaleToDpi(kFrameLeft, dpi), top, ScaleToDpi(kFrameRight, dpi),
                     top + thickness};
        FillRect(dc, &line, brush);
    }
    DeleteObject(brush);
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
    WideText wide(text);
    ExtTextOutW(dc, x, y, options, clip, wide.text, wide.length, nullptr);
    SelectObject(dc, previous);
}

SIZE PageFont::TextExtent(HDC dc, const char* text) const {
    SIZE size = {0, 0};
    if (font_ == nullptr) {
        return size;
    }
    HGDIOBJ previous = SelectObject(dc, font_);
    WideText wide(text);
    GetTextExtentPoint32W(dc, wide.text, wide.length, &size);
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

void PaintPageFrame(HDC dc, PageFrame frame, int dpi) {
    // Grey above white gives an etched groove.
    DrawSeparators(dc, kPageWhite, 1, frame, dpi);
    DrawSeparators(dc, kGrey, 0, frame, dpi);
}

ShadowedText::ShadowedText(int dpi) : dpi_(dpi) {
    font_.Create(kDialogFace, PointsToHeight(8, dpi), 0, false, false, false, true, kPageBlack, 0);
}

void ShadowedText::Paint(HDC dc, int x, int y, const char* text) {
    int left = ScaleToDpi(x, dpi_);
    int top = ScaleToDpi(y, dpi_);
    int shadow = ScaleToDpi(1, dpi_);
    font_.SetColour(kPageWhite);
    font_.PaintText(dc, left + shadow, top + shadow, text, nullptr);
    font_.SetColour(kPageBlack);
    font_.PaintText(dc, left, top, text, nullptr);
}

namespace {

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kLayoutDpi;
}

// The layout was drawn against dialogs whose eight vertical dialog units
// were 13 pixels at 96 DPI. A dialog's controls are placed in dialog units,
// whose size follows its font's measured height rather than the DPI exactly
// (at 200 % the 8-point font is 25 pixels, not 26): the painted parts follow
// the same scale, so they stay in line with the controls. 0 when window is
// not on a dialog.
int DialogUnitDpi(HWND window) {
    HWND root = GetAncestor(window, GA_ROOT);
    char class_name[8] = "";
    GetClassNameA(root, class_name, sizeof class_name);
    RECT eight_units = {0, 0, 0, 8};
    if (lstrcmpA(class_name, "#32770") != 0 || !MapDialogRect(root, &eight_units) ||
        eight_units.bottom <= 0) {
        return 0;
    }
    return MulDiv(kLayoutDpi, eight_units.bottom, 13);
}

}  // namespace

int WindowDpi(HWND window) {
    int dialog = window != nullptr ? DialogUnitDpi(window) : 0;
    if (dialog > 0) {
        return dialog;
    }
    // Windows 10 1607 and later know each window's monitor; older ones have
    // one DPI for the whole system.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    // Looked up each time: a function-local static would pull the C++
    // runtime's guarded initialisation, and its terminate handler, into the stub.
    const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    int monitor = dpi_for_window != nullptr && window != nullptr
                      ? static_cast<int>(dpi_for_window(window))
                      : 0;
    return monitor > 0 ? monitor : SystemDpi();
}

int PageBitmap::Width() const {
    BITMAP info = {};
    return bitmap_ != nullptr && GetObjectA(bitmap_, sizeof info, &info) != 0 ? info.bmWidth : 0;
}

void PageBitmap::ScaleTo(int dpi) {
    BITMAP info = {};
    if (bitmap_ == nullptr || dpi == kLayoutDpi || GetObjectA(bitmap_, sizeof info, &info) == 0) {
        return;
    }
    int width = ScaleToDpi(info.bmWidth, dpi);
    int height = ScaleToDpi(info.bmHeight, dpi);
    HDC screen = GetDC(nullptr);
    HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ source_before = SelectObject(source, bitmap_);
    HGDIOBJ target_before = SelectObject(target, scaled);
    // Halftone averages the source pixels under each target pixel; the
    // default mode would repeat or drop whole rows and columns.
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    BOOL drawn =
        StretchBlt(target, 0, 0, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, source_before);
    SelectObject(target, target_before);
    DeleteDC(source);
    DeleteDC(target);
    if (scaled == nullptr || !drawn) {
        DeleteObject(scaled);
        return;
    }
    DeleteObject(bitmap_);
    bitmap_ = scaled;
}

}  // namespace ui
