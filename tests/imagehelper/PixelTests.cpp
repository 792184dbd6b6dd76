// Gray copies, the alpha band rewrite and regions, checked pixel by pixel.
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace imgtest;

namespace {

std::vector<BYTE> GrayIndices(Gdiplus::Bitmap* gray) {
    std::vector<BYTE> out;
    const Gdiplus::Rect all(0, 0, gray->GetWidth(), gray->GetHeight());
    Gdiplus::BitmapData data{};
    if (gray->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat8bppIndexed, &data) != Gdiplus::Ok) return out;
    for (UINT y = 0; y < data.Height; ++y)
        for (UINT x = 0; x < data.Width; ++x) out.push_back(static_cast<BYTE*>(data.Scan0)[y * data.Stride + x]);
    gray->UnlockBits(&data);
    return out;
}

// An image over our own memory with alpha[i] at pixel i and one guard pixel
// past each row's end, so writes beyond the image show.
struct AlphaImage {
    AlphaImage(int w, int h, std::vector<BYTE> alphas) : width(w), pixels((w + 1) * h, 0x00ABCDEFu) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[y * (w + 1) + x] = (static_cast<uint32_t>(alphas[y * w + x]) << 24) | 0x00102030u;
        image.reset(Gdiplus_LoadBitmapFromImageBits(pixels.data(), w, h, (w + 1) * 4, PixelFormat32bppARGB));
    }
    BYTE Alpha(int x, int y) const { return pixels[y * (width + 1) + x] >> 24; }
    uint32_t Guard(int y) const { return pixels[y * (width + 1) + width]; }
    int width;
    std::vector<uint32_t> pixels;
    BitmapPtr image;
};

// Region against the pixels: a point is inside exactly when its alpha reaches the threshold.
void ExpectRegionMatches(HRGN region, const AlphaImage& img, int h, BYTE threshold) {
    int wrong = 0;
    for (int y = -1; y <= h; ++y)
        for (int x = -1; x <= img.width; ++x) {
            const bool inImage = x >= 0 && y >= 0 && x < img.width && y < h;
            const bool expected = inImage && img.Alpha(x, y) >= threshold;
            if ((PtInRegion(region, x, y) != 0) != expected && ++wrong < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
        }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(ImageGray, PrimaryColoursFromTwentyFourBits) {
    // White, red, green, blue as 24-bit B, G, R.
    BYTE row[12] = {255, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0};
    BitmapPtr source(Gdiplus_LoadBitmapFromImageBits(row, 4, 1, 12, PixelFormat24bppRGB));
    ASSERT_TRUE(source);
    BitmapPtr gray(Gdiplus_Gray(source.get()));
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->GetPixelFormat(), PixelFormat8bppIndexed);
    EXPECT_EQ(GrayIndices(gray.get()), (std::vector<BYTE>{255, 76, 149, 28}));

    // The palette is the gray ramp.
    std::vector<BYTE> palette(gray->GetPaletteSize());
    auto* entries = reinterpret_cast<Gdiplus::ColorPalette*>(palette.data());
    ASSERT_EQ(gray->GetPalette(entries, static_cast<INT>(palette.size())), Gdiplus::Ok);
    ASSERT_EQ(entries->Count, 256u);
    EXPECT_EQ(entries->Entries[76], 0xFF4C4C4Cu);
    EXPECT_EQ(entries->Entries[255], 0xFFFFFFFFu);
}

TEST(ImageGray, TransparentPixelsConvertAsOpaque) {
    uint32_t row[3] = {0x00FF0000u, 0x0000FF00u, 0xFF0000FFu};
    BitmapPtr source(Gdiplus_LoadBitmapFromImageBits(row, 3, 1, 12, PixelFormat32bppARGB));
    BitmapPtr gray(Gdiplus_Gray(source.get()));
    ASSERT_TRUE(gray);
    EXPECT_EQ(GrayIndices(gray.get()), (std::vector<BYTE>{76, 149, 28}));
    EXPECT_EQ(Gdiplus_Gray(nullptr), nullptr);
}

TEST(ImageGray, IndexedSourcesKeepTheirIndices) {
    BYTE rows[2][8] = {{0, 7, 200, 255, 0, 0, 0, 0}, {9, 8, 7, 6, 0, 0, 0, 0}};
    BitmapPtr source(Gdiplus_LoadBitmapFromImageBits(rows, 4, 2, 8, PixelFormat8bppIndexed));
    ASSERT_TRUE(source);
    BitmapPtr gray(Gdiplus_Gray(source.get()));
    ASSERT_TRUE(gray);
    EXPECT_EQ(GrayIndices(gray.get()), (std::vector<BYTE>{0, 7, 200, 255, 9, 8, 7, 6}));
}

TEST(ImageAlpha, BandWithLowestZeroAndOne) {
    AlphaImage all(4, 1, {0, 1, 128, 255});
    ASSERT_TRUE(all.image);
    Gdiplus_SetBitmapAlpha(all.image.get(), nullptr, 200, 0, 255);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(all.Alpha(x, 0), 200) << x;
    EXPECT_EQ(all.pixels[0] & 0xFFFFFF, 0x102030u);  // colour kept

    AlphaImage some(4, 1, {0, 1, 128, 255});
    Gdiplus_SetBitmapAlpha(some.image.get(), nullptr, 200, 1, 255);
    EXPECT_EQ(some.Alpha(0, 0), 0);
    EXPECT_EQ(some.Alpha(1, 0), 200);
    EXPECT_EQ(some.Alpha(3, 0), 200);
}

TEST(ImageAlpha, RectangleReachingOutsideTouchesOnlyTheImage) {
    AlphaImage img(3, 3, std::vector<BYTE>(9, 255));
    ASSERT_TRUE(img.image);
    const RECT reaching{1, -5, 50, 2};
    Gdiplus_SetBitmapAlpha(img.image.get(), &reaching, 9, 0, 255);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(img.Guard(y), 0x00ABCDEFu) << y;
        for (int x = 0; x < 3; ++x) EXPECT_EQ(img.Alpha(x, y), x >= 1 && y < 2 ? 9 : 255) << x << "," << y;
    }
    const RECT beyond{5, 5, 9, 9};
    Gdiplus_SetBitmapAlpha(img.image.get(), &beyond, 1, 0, 255);
    Gdiplus_SetBitmapAlpha(nullptr, nullptr, 1, 0, 255);
    EXPECT_EQ(img.Alpha(0, 2), 255);
}

TEST(ImageRegion, ThresholdsZeroAndFull) {
    AlphaImage img(5, 4, {0,   255, 255, 254, 255,  //
                          255, 255, 255, 255, 255,  //
                          0,   0,   0,   0,   0,    //
                          10,  255, 0,   255, 255});
    HRGN whole = Gdiplus_CreateRgnFromBitmap(img.image.get(), 0);
    ASSERT_NE(whole, nullptr);
    HRGN expected = CreateRectRgn(0, 0, 5, 4);
    EXPECT_TRUE(EqualRgn(whole, expected));
    DeleteObject(expected);
    DeleteObject(whole);

    HRGN opaque = Gdiplus_CreateRgnFromBitmap(img.image.get(), 255);
    ASSERT_NE(opaque, nullptr);
    ExpectRegionMatches(opaque, img, 4, 255);
    DeleteObject(opaque);
}

TEST(ImageRegion, NothingReachingTheThresholdIsAnEmptyRegion) {
    AlphaImage img(6, 2, std::vector<BYTE>(12, 100));
    HRGN region = Gdiplus_CreateRgnFromBitmap(img.image.get(), 101);
    ASSERT_NE(region, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    DeleteObject(region);
    EXPECT_EQ(Gdiplus_CreateRgnFromBitmap(nullptr, 1), nullptr);
}

TEST(ImageRegion, ManyRunsGiveTheirExactUnion) {
    // Every other pixel opaque, rows shifted: 4001 / 2 runs per row, more
    // than 2000 in the first row alone and several thousand in all.
    const int w = 4001, h = 5;
    std::vector<BYTE> alphas(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) alphas[y * w + x] = ((x + y) % 2 == 0 || (y == 3 && x % 7 == 0)) ? 255 : 0;
    AlphaImage img(w, h, alphas);
    ASSERT_TRUE(img.image);
    HRGN region = Gdiplus_CreateRgnFromBitmap(img.image.get(), 128);
    ASSERT_NE(region, nullptr);
    ExpectRegionMatches(region, img, h, 128);
    DeleteObject(region);
}
