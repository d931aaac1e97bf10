// A memory device context over a 32-bit bitmap whose pixels the tests read
// back, and solid-colour icons to draw with.
#pragma once

#include <windows.h>

#include <cstdint>

namespace testing_support {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class PixelCanvas {
  public:
    PixelCanvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~PixelCanvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    HDC Dc() const { return dc_; }

    void Fill(COLORREF colour) {
        RECT all = {0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }

    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        uint32_t value = bits_[y * width_ + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    // Number of pixels of the colour inside [left, right) x [top, bottom).
    int Count(COLORREF colour, int left, int top, int right, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                count += Pixel(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }

    // The smallest rectangle (right and bottom inclusive) holding every pixel
    // of the colour; left is -1 when there is none.
    RECT BoundsOf(COLORREF colour) const {
        RECT bounds = {-1, -1, -1, -1};
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (Pixel(x, y) != colour) {
                    continue;
                }
                if (bounds.left < 0) {
                    bounds = {x, y, x, y};
                }
                bounds.left = x < bounds.left ? x : bounds.left;
                bounds.right = x > bounds.right ? x : bounds.right;
                bounds.bottom = y;
            }
        }
        return bounds;
    }

  private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    uint32_t* bits_ = nullptr;
};

// A 16 x 16 icon of one opaque colour.
inline HICON MakeSolidIcon(COLORREF colour) {
    PixelCanvas canvas(16, 16, colour);
    HDC screen = GetDC(nullptr);
    HBITMAP colour_bitmap = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HDC copy = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(copy, colour_bitmap);
    BitBlt(copy, 0, 0, 16, 16, canvas.Dc(), 0, 0, SRCCOPY);
    SelectObject(copy, previous);
    DeleteDC(copy);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    HDC mask_dc = CreateCompatibleDC(nullptr);
    previous = SelectObject(mask_dc, mask);
    PatBlt(mask_dc, 0, 0, 16, 16, BLACKNESS);  // opaque everywhere
    SelectObject(mask_dc, previous);
    DeleteDC(mask_dc);
    ICONINFO info = {TRUE, 0, 0, mask, colour_bitmap};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour_bitmap);
    return icon;
}

}  // namespace testing_support
