// The look shared by every wizard page: a font object for drawing and
// measuring text, a pen selected for a short drawing sequence, a bitmap
// loader for the banner and the small pictures, the etched page frame and the
// shadowed header text. The page layouts are written in the pixels of a
// 96-DPI display; everything drawn in pixels is scaled from there to the
// window's DPI. Only Windows code includes this header.
#pragma once

#include <windows.h>

namespace ui {

// The DPI the page layouts are written for.
constexpr int kLayoutDpi = 96;

// The DPI the page that holds window is laid out at: on a dialog, the scale
// its dialog units came out at; elsewhere the monitor's DPI for a
// per-monitor aware program on Windows 10 and later, the system's otherwise.
int WindowDpi(HWND window);
// A length of the 96-DPI layout at dpi, rounded to the nearest pixel.
inline int ScaleToDpi(int pixels, int dpi) {
    return MulDiv(pixels, dpi, kLayoutDpi);
}
// The height for CreateFont of a font of points at dpi.
inline int PointsToHeight(int points, int dpi) {
    return -MulDiv(points, dpi, 72);
}
// The system's dialog font, which the pages and their painted texts use.
constexpr char kDialogFace[] = "MS Shell Dlg 2";

// The colours of the page look: text, shadows and list backgrounds.
constexpr COLORREF kPageWhite = RGB(255, 255, 255);
constexpr COLORREF kPageBlack = RGB(0, 0, 0);

// One font with its drawing attributes. A page makes one per WM_PAINT; the
// object deletes its font when it goes away.
class PageFont {
  public:
    PageFont() = default;
    ~PageFont() { Delete(); }
    PageFont(const PageFont&) = delete;
    PageFont& operator=(const PageFont&) = delete;

    // An empty or missing face name means "Arial". Returns false when the
    // font could not be made; drawing and measuring then do nothing.
    bool Create(const char* face, int height, int width, bool bold, bool italic, bool underline,
                bool transparent, COLORREF colour, int escapement);
    // Returns the DeleteObject result, 0 when there was no font.
    BOOL Delete();
    void SetColour(COLORREF colour) { colour_ = colour; }
    // Draws text with its top-left at (x, y), clipped to clip when given.
    void PaintText(HDC dc, int x, int y, const char* text, const RECT* clip) const;
    int TextWidth(HDC dc, const char* text) const;
    int TextHeight(HDC dc, const char* text) const;
    HFONT Handle() const { return font_; }

  private:
    SIZE TextExtent(HDC dc, const char* text) const;

    bool transparent_ = true;
    COLORREF colour_ = 0;
    HFONT font_ = nullptr;
};

// A pen selected into a device context; deleting it puts the previous pen
// back first.
class PagePen {
  public:
    PagePen(COLORREF colour, HDC dc, int width, int style);
    ~PagePen() { Delete(); }
    PagePen(const PagePen&) = delete;
    PagePen& operator=(const PagePen&) = delete;

    void Select(HDC dc);
    void Restore();
    void Delete();

  private:
    HGDIOBJ previous_ = nullptr;
    HDC dc_ = nullptr;
    HPEN pen_ = nullptr;
};

// A bitmap for a static control. The handle is never freed: the pages hand
// it to their controls and keep it for the life of the process.
class PageBitmap {
  public:
    // With resource_id 0 the bitmap is read from file_path; otherwise it is
    // the module's bitmap resource. transparent turns the colour of the
    // top-left pixel into the dialog face colour and maps the greys to the
    // 3D colours. A missing file or resource gives a null handle.
    HBITMAP Load(const char* file_path, int resource_id, HINSTANCE module, bool transparent);
    // Replaces the bitmap with a copy of its 96-DPI size scaled to dpi,
    // smoothly (halftone) and keeping its aspect. Nothing changes at 96 DPI.
    void ScaleTo(int dpi);
    // The bitmap's width in pixels, 0 without one.
    int Width() const;
    // Shows the bitmap in a static control of the dialog (STM_SETIMAGE).
    void AssignTo(HWND dialog, int control_id) const;
    HBITMAP Handle() const { return bitmap_; }

  private:
    HBITMAP bitmap_ = nullptr;
};

// Whether the page has a button row, and so the second separator above it.
enum class PageFrame { kBannerOnly, kWithButtonRow };

// The etched separators: grey over white under the banner band (y 68/69) and,
// on pages with buttons, above the button row (y 308/309), from x 10 to 410;
// positions of the 96-DPI layout, drawn at dpi.
void PaintPageFrame(HDC dc, PageFrame frame, int dpi);

// Header texts of the pages: the dialog font at 8 points in black with a
// white shadow one layout pixel right and down. Make one per WM_PAINT.
class ShadowedText {
  public:
    explicit ShadowedText(int dpi);
    // (x, y) is the position of the black text in the 96-DPI layout.
    void Paint(HDC dc, int x, int y, const char* text);

  private:
    PageFont font_;
    int dpi_;
};

}  // namespace ui
