// The page painting helpers, drawn into a memory bitmap and read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/resource_ids.h"
#include "tests/support_lib/scratch.h"
#include "tests/windows/pixel_canvas.h"
#include "ui/page_painting.h"

using testing_support::kBlack;
using testing_support::kBlue;
using testing_support::kGrey;
using testing_support::kRed;
using testing_support::kWhite;
using testing_support::PixelCanvas;

namespace {

LOGFONTA DescriptionOf(const ui::PageFont& font) {
    LOGFONTA description = {};
    GetObjectA(font.Handle(), sizeof description, &description);
    return description;
}

void MakeBlackFont(ui::PageFont* font, bool transparent) {
    ASSERT_TRUE(font->Create("Arial", 16, 0, false, false, false, transparent, kBlack, 0));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP description = {};
    GetObjectA(bitmap, sizeof description, &description);
    return {description.bmWidth, description.bmHeight};
}

}  // namespace

TEST(PageFont, EmptyFaceNameMeansArialAndBoldMeansWeight700) {
    ui::PageFont font;
    ASSERT_TRUE(font.Create("", 8, 0, true, false, true, true, kBlack, 0));
    LOGFONTA description = DescriptionOf(font);
    EXPECT_STREQ("Arial", description.lfFaceName);
    EXPECT_EQ(FW_BOLD, description.lfWeight);
    EXPECT_EQ(1, description.lfUnderline);
    EXPECT_TRUE(font.Delete());
    EXPECT_FALSE(font.Delete());
}

TEST(PageFont, WithoutAFontNothingIsDrawnOrMeasured) {
    PixelCanvas canvas(100, 30, kWhite);
    ui::PageFont font;
    font.PaintText(canvas.Dc(), 2, 2, "Text", nullptr);
    EXPECT_EQ(100 * 30, canvas.Count(kWhite, 0, 0, 100, 30));
    EXPECT_EQ(0, font.TextWidth(canvas.Dc(), "Text"));
    EXPECT_EQ(0, font.TextHeight(canvas.Dc(), "Text"));
}

TEST(PageFont, ClipRectangleLimitsTheText) {
    PixelCanvas canvas(300, 30, kWhite);
    ui::PageFont font;
    MakeBlackFont(&font, true);
    RECT clip = {0, 0, 20, 30};
    font.PaintText(canvas.Dc(), 0, 0, "WWWWWWWWWW", &clip);
    EXPECT_GT(canvas.Count(kBlack, 0, 0, 20, 30), 0);
    EXPECT_EQ(0, canvas.Count(kBlack, 20, 0, 300, 30));

    font.PaintText(canvas.Dc(), 0, 0, "WWWWWWWWWW", nullptr);
    EXPECT_GT(canvas.Count(kBlack, 20, 0, 300, 30), 0);
    EXPECT_GT(font.TextWidth(canvas.Dc(), "WWWWWWWWWW"), 20);
}

TEST(PageFont, OpaqueTextFillsItsCellWithTheBackgroundColour) {
    PixelCanvas canvas(200, 30, kWhite);
    SetBkColor(canvas.Dc(), kRed);
    ui::PageFont transparent;
    MakeBlackFont(&transparent, true);
    transparent.PaintText(canvas.Dc(), 0, 0, "Cell", nullptr);
    EXPECT_EQ(0, canvas.Count(kRed, 0, 0, 200, 30));

    ui::PageFont opaque;
    MakeBlackFont(&opaque, false);
    opaque.PaintText(canvas.Dc(), 0, 0, "Cell", nullptr);
    EXPECT_GT(canvas.Count(kRed, 0, 0, 200, 30), 0);
    EXPECT_EQ(kRed, canvas.Pixel(opaque.TextWidth(canvas.Dc(), "Cell") - 1, 0));
}

TEST(PagePen, DeleteSelectsThePreviousPenAgain) {
    PixelCanvas first(10, 10, kWhite);
    PixelCanvas second(10, 10, kWhite);
    HGDIOBJ before_first = GetCurrentObject(first.Dc(), OBJ_PEN);
    HGDIOBJ before_second = GetCurrentObject(second.Dc(), OBJ_PEN);
    ui::PagePen pen(kRed, first.Dc(), 0, PS_SOLID);
    EXPECT_NE(before_first, GetCurrentObject(first.Dc(), OBJ_PEN));

    pen.Select(second.Dc());
    EXPECT_EQ(before_first, GetCurrentObject(first.Dc(), OBJ_PEN));
    EXPECT_NE(before_second, GetCurrentObject(second.Dc(), OBJ_PEN));
    pen.Delete();
    EXPECT_EQ(before_second, GetCurrentObject(second.Dc(), OBJ_PEN));
}

TEST(PageFrame, SeparatorsAreGreyOverWhiteFromTenToFourHundredTen) {
    PixelCanvas canvas(420, 320, kBlue);
    ui::PaintPageFrame(canvas.Dc(), ui::PageFrame::kWithButtonRow, 96);
    for (int y : {68, 308}) {
        EXPECT_EQ(kGrey, canvas.Pixel(10, y));
        EXPECT_EQ(kGrey, canvas.Pixel(410, y));
        EXPECT_EQ(kWhite, canvas.Pixel(10, y + 1));
        EXPECT_EQ(kWhite, canvas.Pixel(410, y + 1));
        EXPECT_EQ(kBlue, canvas.Pixel(9, y));
        EXPECT_EQ(kBlue, canvas.Pixel(411, y));
        EXPECT_EQ(kBlue, canvas.Pixel(411, y + 1));
    }
    EXPECT_EQ(2 * 2 * 401, 420 * 320 - canvas.Count(kBlue, 0, 0, 420, 320));

    PixelCanvas progress(420, 320, kBlue);
    ui::PaintPageFrame(progress.Dc(), ui::PageFrame::kBannerOnly, 96);
    EXPECT_EQ(kGrey, progress.Pixel(200, 68));
    EXPECT_EQ(kBlue, progress.Pixel(200, 308));
    EXPECT_EQ(kBlue, progress.Pixel(200, 309));

    // At 200 % every layout pixel is two: the groove is four rows deep and
    // spans x 20 to 821.
    PixelCanvas doubled(840, 640, kBlue);
    ui::PaintPageFrame(doubled.Dc(), ui::PageFrame::kWithButtonRow, 192);
    for (int y : {136, 137, 616, 617}) {
        EXPECT_EQ(kGrey, doubled.Pixel(20, y));
        EXPECT_EQ(kGrey, doubled.Pixel(821, y));
        EXPECT_EQ(kWhite, doubled.Pixel(20, y + 2));
        EXPECT_EQ(kBlue, doubled.Pixel(822, y));
    }
    EXPECT_EQ(2 * 4 * 802, 840 * 640 - doubled.Count(kBlue, 0, 0, 840, 640));
}

TEST(ShadowedText, WhiteShadowLiesOnePixelRightAndDown) {
    PixelCanvas canvas(300, 120, kGrey);
    ui::ShadowedText text(96);
    text.Paint(canvas.Dc(), 10, 75, "Ready To Install Tool");
    RECT black = canvas.BoundsOf(kBlack);
    RECT white = canvas.BoundsOf(kWhite);
    ASSERT_GE(black.left, 10);
    ASSERT_GE(black.top, 75);
    EXPECT_EQ(black.right + 1, white.right);
    EXPECT_EQ(black.bottom + 1, white.bottom);
    EXPECT_EQ(black.left + 1, white.left);
}

TEST(PageBitmap, LoadsResourcesWithTheDialogFaceForTheirBackground) {
    ui::PageBitmap folder;
    HBITMAP bitmap = folder.Load(nullptr, IDB_FOLDER, GetModuleHandleA(nullptr), true);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(bitmap, folder.Handle());
    SIZE size = BitmapSize(bitmap);
    EXPECT_EQ(15, size.cx);
    EXPECT_EQ(13, size.cy);

    PixelCanvas canvas(15, 13, kBlue);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(canvas.Dc(), 0, 0, 15, 13, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    // The top-left colour is the transparent one.
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), canvas.Pixel(0, 0));
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), canvas.Pixel(14, 12));
    EXPECT_EQ(kBlack, canvas.Pixel(0, 5));

    ui::PageBitmap bullet;
    size = BitmapSize(bullet.Load(nullptr, IDB_BULLET, GetModuleHandleA(nullptr), true));
    EXPECT_EQ(16, size.cx);
    EXPECT_EQ(9, size.cy);
}

TEST(PageBitmap, LoadsFilesAtTheirOwnSizeAndNothingForAMissingFile) {
    testing_support::Scratch scratch;
    // A 3 x 2 bitmap of 24-bit pixels, rows padded to four bytes.
    std::string file("BM", 2);
    auto put32 = [&file](uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            file.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    auto put16 = [&file](uint16_t value) {
        file.push_back(static_cast<char>(value & 0xFF));
        file.push_back(static_cast<char>(value >> 8));
    };
    put32(54 + 24);
    put32(0);
    put32(54);
    put32(40);
    put32(3);
    put32(2);
    put16(1);
    put16(24);
    put32(0);
    put32(24);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    file.append(24, '\x7f');
    testing_support::WriteAll(scratch.PathOf("setup.bmp"), file);

    ui::PageBitmap banner;
    SIZE size = BitmapSize(banner.Load(scratch.PathOf("setup.bmp").c_str(), 0, nullptr, false));
    EXPECT_EQ(3, size.cx);
    EXPECT_EQ(2, size.cy);

    ui::PageBitmap missing;
    EXPECT_EQ(nullptr, missing.Load(scratch.PathOf("none.bmp").c_str(), 0, nullptr, false));
}
