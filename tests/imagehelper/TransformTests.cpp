// New images, scaling, fitting, cropping and handing pixels out.
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace imgtest;

namespace {

// 30 x 30: left half blue, right half green.
BitmapPtr HalfAndHalf() {
    return Painted(30, 30, [](int x, int) { return x < 15 ? kBlue : kGreen; });
}

std::pair<UINT, UINT> SizeOf(Gdiplus::Bitmap* b) { return {b->GetWidth(), b->GetHeight()}; }

}  // namespace

TEST(ImageCreate, ColourAndFormat) {
    BitmapPtr colour = Solid(7, 5, 0x80FF0000);
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->GetPixelFormat(), PixelFormat32bppARGB);
    EXPECT_PIXEL(colour.get(), 6, 4, 0x80FF0000);

    BitmapPtr indexed(Gdiplus_CreateBitmap(9, 3, PixelFormat8bppIndexed));
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->GetPixelFormat(), PixelFormat8bppIndexed);
    EXPECT_EQ(Gdiplus_CreateBitmap(0, 3, PixelFormat32bppARGB), nullptr);
    EXPECT_EQ(Gdiplus_CreateColorBmp(-1, 3, kRed), nullptr);
}

TEST(ImageCreate, CopyKeepsFormatAndAlpha) {
    BitmapPtr source = Painted(3, 1, [](int x, int) { return x == 0 ? 0x00000000u : x == 1 ? 0x80FF0000u : kBlue; });
    BitmapPtr copy(Gdiplus_CopyBitmap(source.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetPixelFormat(), PixelFormat32bppARGB);
    EXPECT_EQ(PixelAt(copy.get(), 0, 0) >> 24, 0u);
    EXPECT_PIXEL(copy.get(), 1, 0, 0x80FF0000);
    EXPECT_PIXEL(copy.get(), 2, 0, kBlue);

    BitmapPtr rgb(Gdiplus_ModifyBitmapFormat(source.get(), PixelFormat24bppRGB));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->GetPixelFormat(), PixelFormat24bppRGB);
    EXPECT_PIXEL(rgb.get(), 2, 0, kBlue);
    EXPECT_EQ(Gdiplus_CopyBitmap(nullptr), nullptr);
}

TEST(ImageResize, OutputSizesByMode) {
    BitmapPtr source = Solid(200, 100, kRed);
    const std::pair<UINT, UINT> expected[] = {{100, 100}, {100, 50}, {200, 100}, {100, 50}, {200, 100}};
    for (int mode = 0; mode < 5; ++mode) {
        BitmapPtr out(Gdiplus_ResizeBitmap(source.get(), 100, 100, mode, kWhite));
        ASSERT_TRUE(out) << mode;
        EXPECT_EQ(SizeOf(out.get()), expected[mode]) << mode;
        EXPECT_PIXEL(out.get(), 50, 25, kRed);
    }
    EXPECT_EQ(Gdiplus_ResizeBitmap(source.get(), 100, 100, 5, kWhite), nullptr);
    EXPECT_EQ(Gdiplus_ResizeBitmap(source.get(), 0, 100, 1, kWhite), nullptr);
    EXPECT_EQ(Gdiplus_ResizeBitmap(nullptr, 10, 10, 1, kWhite), nullptr);

    BitmapPtr stretched(Gdiplus_StretchBitmap(source.get(), 20, 40));
    ASSERT_TRUE(stretched);
    EXPECT_EQ(SizeOf(stretched.get()), std::make_pair(20u, 40u));
    EXPECT_EQ(Gdiplus_StretchBitmap(source.get(), 20, 0), nullptr);
}

TEST(ImageDispose, CoverCropsTheCentredSquare) {
    // Red | green (the centred 200 x 200) | blue.
    BitmapPtr source = Painted(400, 200, [](int x, int) { return x < 100 ? kRed : x < 300 ? kGreen : kBlue; });
    BitmapPtr out(Gdiplus_DisposeBitmapByMode(source.get(), 100, 100, 0, kWhite));
    ASSERT_TRUE(out);
    EXPECT_EQ(SizeOf(out.get()), std::make_pair(100u, 100u));
    for (int p : {2, 50, 97}) EXPECT_PIXEL(out.get(), p, p, kGreen);
}

TEST(ImageDispose, FitAndStretchModes) {
    BitmapPtr source = Solid(200, 100, kRed);
    BitmapPtr fit(Gdiplus_DisposeBitmapByMode(source.get(), 100, 100, 1, kWhite));
    ASSERT_TRUE(fit);
    EXPECT_EQ(SizeOf(fit.get()), std::make_pair(100u, 50u));
    BitmapPtr stretch(Gdiplus_DisposeBitmapByMode(source.get(), 30, 70, 4, kWhite));
    ASSERT_TRUE(stretch);
    EXPECT_EQ(SizeOf(stretch.get()), std::make_pair(30u, 70u));
    EXPECT_EQ(Gdiplus_DisposeBitmapByMode(source.get(), 30, 70, 5, kWhite), nullptr);
    EXPECT_EQ(Gdiplus_DisposeBitmapByMode(nullptr, 30, 70, 0, kWhite), nullptr);
}

TEST(ImageDispose, TilesAreCutNotScaled) {
    BitmapPtr source = HalfAndHalf();
    BitmapPtr out(Gdiplus_DisposeBitmapByMode(source.get(), 100, 50, 2, kRed));
    ASSERT_TRUE(out);
    EXPECT_EQ(SizeOf(out.get()), std::make_pair(100u, 50u));
    for (int y : {5, 40}) {
        EXPECT_PIXEL(out.get(), 5, y, kBlue);
        EXPECT_PIXEL(out.get(), 20, y, kGreen);
        EXPECT_PIXEL(out.get(), 65, y, kBlue);
        EXPECT_PIXEL(out.get(), 85, y, kGreen);
        EXPECT_PIXEL(out.get(), 92, y, kBlue);  // last column, 10 wide: the source's left part only
        EXPECT_PIXEL(out.get(), 99, y, kBlue);
    }
}

TEST(ImageDispose, CentreWithoutScaling) {
    BitmapPtr small = Solid(20, 20, kRed);
    BitmapPtr framed(Gdiplus_DisposeBitmapByMode(small.get(), 60, 40, 3, kWhite));
    ASSERT_TRUE(framed);
    EXPECT_PIXEL(framed.get(), 19, 20, kWhite);
    EXPECT_PIXEL(framed.get(), 20, 20, kRed);
    EXPECT_PIXEL(framed.get(), 39, 29, kRed);
    EXPECT_PIXEL(framed.get(), 40, 29, kWhite);
    EXPECT_PIXEL(framed.get(), 30, 9, kWhite);
    EXPECT_PIXEL(framed.get(), 30, 30, kWhite);

    // The large source's centre (40..59) is red, the rest blue.
    BitmapPtr large =
        Painted(100, 100, [](int x, int y) { return x >= 40 && x < 60 && y >= 40 && y < 60 ? kRed : kBlue; });
    BitmapPtr centre(Gdiplus_DisposeBitmapByMode(large.get(), 20, 20, 3, kWhite));
    ASSERT_TRUE(centre);
    EXPECT_PIXEL(centre.get(), 0, 0, kRed);
    EXPECT_PIXEL(centre.get(), 19, 19, kRed);
}

TEST(ImageCrop, RectangleAndOptionalSize) {
    BitmapPtr source = Painted(200, 100, [](int x, int) { return x < 100 ? kRed : kBlue; });
    BitmapPtr part(Gdiplus_GetBitmapFromBitmap(source.get(), 100, 0, 60, 40, nullptr));
    ASSERT_TRUE(part);
    EXPECT_EQ(SizeOf(part.get()), std::make_pair(60u, 40u));
    EXPECT_PIXEL(part.get(), 30, 20, kBlue);

    const RECT rect{0, 0, 100, 100};
    const SIZE size{10, 20};
    BitmapPtr scaled(Gdiplus_GetBitmapFromBitmapByRect(source.get(), &rect, &size));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(SizeOf(scaled.get()), std::make_pair(10u, 20u));
    EXPECT_PIXEL(scaled.get(), 5, 10, kRed);
    EXPECT_EQ(Gdiplus_GetBitmapFromBitmapByRect(source.get(), nullptr, &size), nullptr);
}

TEST(ImageBuffer, ClipsToTheImageAndFollowsANegativeStride) {
    // Pixel (x, y) holds 0xFF0000yx.
    BitmapPtr source = Painted(4, 3, [](int x, int y) { return 0xFF000000u | (y << 4) | x; });
    const RECT reaching{2, 1, 10, 10};
    uint32_t out[3][4];
    std::memset(out, 0xEE, sizeof out);
    ASSERT_EQ(Gdiplus_GetBitmapBuffer(source.get(), &reaching, PixelFormat32bppARGB, out, 16), 1);
    EXPECT_EQ(out[0][0], 0xFF000012u);
    EXPECT_EQ(out[0][1], 0xFF000013u);
    EXPECT_EQ(out[1][0], 0xFF000022u);
    EXPECT_EQ(out[1][1], 0xFF000023u);
    EXPECT_EQ(out[0][2], 0xEEEEEEEEu);  // rows are as long as the clipped width
    EXPECT_EQ(out[2][0], 0xEEEEEEEEu);  // and only the clipped rows are written

    // Bottom-up destination: the first row goes last.
    std::memset(out, 0xEE, sizeof out);
    const RECT all{0, 0, 4, 3};
    ASSERT_EQ(Gdiplus_GetBitmapBuffer(source.get(), &all, PixelFormat32bppARGB, out[2], -16), 1);
    EXPECT_EQ(out[2][0], 0xFF000000u);
    EXPECT_EQ(out[0][3], 0xFF000023u);

    const RECT outside{10, 10, 20, 20};
    EXPECT_EQ(Gdiplus_GetBitmapBuffer(source.get(), &outside, PixelFormat32bppARGB, out, 16), 0);
    EXPECT_EQ(Gdiplus_GetBitmapBuffer(nullptr, &all, PixelFormat32bppARGB, out, 16), 0);
    EXPECT_EQ(Gdiplus_GetBitmapBuffer(source.get(), &all, PixelFormat32bppARGB, nullptr, 16), 0);
}

TEST(ImageHBitmap, BlendsOverTheBackgroundWithEitherRowOrder) {
    BitmapPtr source = Painted(4, 2, [](int x, int) { return x < 2 ? kRed : 0x00000000u; });
    for (int negate : {0, 1}) {
        HBITMAP bitmap = Gdiplus_GetHBitmap(source.get(), 0xFF0000FF, negate);
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 4);
        EXPECT_EQ(info.bmHeight, 2);
        EXPECT_EQ(info.bmBitsPixel, 32);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
        EXPECT_EQ(GetPixel(dc, 3, 0), RGB(0, 0, 255));
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    EXPECT_EQ(Gdiplus_GetHBitmap(nullptr, 0, 0), nullptr);
}
