// Drawing onto a caller's Graphics: destination rectangles checked on pixels.
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace imgtest;

namespace {

// A white canvas and a Graphics on it.
struct Canvas {
    explicit Canvas(int w, int h) : image(Solid(w, h, kWhite)), graphics(image.get()) {}
    DWORD At(int x, int y) { return PixelAt(image.get(), x, y); }
    // The whole of source drawn into dst in the given placing mode.
    void Draw(const RECT& dst, Gdiplus::Bitmap* source, int mode) {
        Gdiplus_DrawBitmap(&graphics, &dst, source, nullptr, mode);
    }
    // Each spot holds its colour (within 2 per channel).
    struct Spot {
        int x, y;
        DWORD argb;
    };
    void ExpectSpots(std::initializer_list<Spot> spots) {
        for (const Spot& s : spots) EXPECT_PIXEL(image.get(), s.x, s.y, s.argb);
    }
    BitmapPtr image;
    Gdiplus::Graphics graphics;
};

}  // namespace

TEST(ImageDrawing, RightToLeftLanguages) {
    EXPECT_EQ(Gdiplus_GetStringFormat(0x0401), 1);
    EXPECT_EQ(Gdiplus_GetStringFormat(0x040D), 1);
    EXPECT_EQ(Gdiplus_GetStringFormat(0x7FFF040D), 1);
    EXPECT_EQ(Gdiplus_GetStringFormat(0x0409), 0);
    EXPECT_EQ(Gdiplus_GetStringFormat(0x0801), 0);
}

TEST(ImageDrawing, FitInsideIsCentredAndScaled) {
    Canvas canvas(130, 130);
    canvas.Draw(RECT{10, 10, 110, 110}, Solid(200, 100, kRed).get(), 1);  // a wide image
    canvas.ExpectSpots({{60, 34, kWhite}, {60, 36, kRed}, {60, 83, kRed}, {60, 85, kWhite}});
    canvas.ExpectSpots({{11, 60, kRed}, {108, 60, kRed}, {111, 60, kWhite}});
}

TEST(ImageDrawing, TilesSqueezeTheWholeImageIntoTheLastColumn) {
    Canvas canvas(220, 170);
    BitmapPtr tile = Painted(30, 30, [](int x, int) { return x < 15 ? kBlue : kGreen; });
    canvas.Draw(RECT{100, 100, 200, 150}, tile.get(), 2);
    for (int y : {110, 140}) {
        canvas.ExpectSpots({{105, y, kBlue}, {122, y, kGreen}, {165, y, kBlue}});
        // 10-wide last column: blue then green
        canvas.ExpectSpots({{191, y, kBlue}, {198, y, kGreen}, {201, y, kWhite}});
    }
    canvas.ExpectSpots({{150, 151, kWhite}, {99, 120, kWhite}});
}

TEST(ImageDrawing, CentreWithoutScaling) {
    Canvas canvas(220, 220);
    canvas.Draw(RECT{100, 100, 200, 200}, Solid(50, 50, kRed).get(), 3);  // a smaller square
    canvas.ExpectSpots({{124, 150, kWhite}, {125, 125, kRed}, {174, 174, kRed}, {175, 150, kWhite}});
}

TEST(ImageDrawing, SourceRectangleAndStretch) {
    Canvas canvas(40, 40);
    BitmapPtr image = Painted(20, 10, [](int x, int) { return x < 10 ? kRed : kBlue; });
    const RECT dst{0, 0, 40, 40};
    const RECT right{10, 0, 20, 10};
    Gdiplus_DrawBitmap(&canvas.graphics, &dst, image.get(), &right, 7);
    EXPECT_PIXEL(canvas.image.get(), 2, 2, kBlue);
    EXPECT_PIXEL(canvas.image.get(), 30, 30, kBlue);
}

TEST(ImageDrawing, EmptyRectanglesAndNullsDrawNothing) {
    Canvas canvas(20, 20);
    BitmapPtr image = Solid(10, 10, kRed);
    const RECT empty{5, 5, 5, 15};
    const RECT inverted{15, 15, 5, 5};
    const RECT dst{0, 0, 20, 20};
    const RECT emptySource{3, 3, 3, 3};
    for (int mode = 0; mode < 5; ++mode) {
        Gdiplus_DrawBitmap(&canvas.graphics, &empty, image.get(), nullptr, mode);
        Gdiplus_DrawBitmap(&canvas.graphics, &inverted, image.get(), nullptr, mode);
        Gdiplus_DrawBitmap(&canvas.graphics, &dst, image.get(), &emptySource, mode);
        Gdiplus_DrawBitmap(&canvas.graphics, &dst, nullptr, nullptr, mode);
        Gdiplus_DrawBitmap(&canvas.graphics, nullptr, image.get(), nullptr, mode);
        Gdiplus_DrawBitmap(nullptr, &dst, image.get(), nullptr, mode);
    }
    Gdiplus_DrawAlphaBitmap(&canvas.graphics, &empty, image.get(), nullptr, 1, 255);
    for (int p : {0, 5, 10, 19}) EXPECT_PIXEL(canvas.image.get(), p, p, kWhite);
    EXPECT_EQ(canvas.graphics.GetLastStatus(), Gdiplus::Ok);
}

TEST(ImageDrawing, AlphaDrawingAtHalfAndZeroOpacity) {
    Canvas canvas(40, 20);
    BitmapPtr red = Solid(20, 20, kRed);
    const RECT left{0, 0, 20, 20};
    const RECT right{20, 0, 40, 20};
    Gdiplus_DrawAlphaBitmap(&canvas.graphics, &left, red.get(), nullptr, 1, 128);
    Gdiplus_DrawAlphaBitmap(&canvas.graphics, &right, red.get(), nullptr, 1, 0);
    EXPECT_PRED3(Near, canvas.At(10, 10), 0xFFFF7F7Fu, 3);
    EXPECT_PIXEL(canvas.image.get(), 30, 10, kWhite);
}

TEST(ImageDrawing, AlphaDrawingUnstretchedIsCentred) {
    Canvas canvas(40, 40);
    BitmapPtr red = Solid(10, 10, kRed);
    const RECT dst{0, 0, 40, 40};
    Gdiplus_DrawAlphaBitmap(&canvas.graphics, &dst, red.get(), nullptr, 0, 255);
    EXPECT_PIXEL(canvas.image.get(), 14, 20, kWhite);
    EXPECT_PRED3(Near, canvas.At(15, 15), kRed, 3);
    EXPECT_PRED3(Near, canvas.At(24, 24), kRed, 3);
    EXPECT_PIXEL(canvas.image.get(), 25, 20, kWhite);
}

TEST(ImageDrawing, FillsAndOutline) {
    Canvas canvas(30, 30);
    Gdiplus::SolidBrush blue{Gdiplus::Color(kBlue)};
    const RECT fill{20, 20, 25, 25};
    Gdiplus_FillRect(&canvas.graphics, &fill, &blue);
    EXPECT_PIXEL(canvas.image.get(), 20, 20, kBlue);
    EXPECT_PIXEL(canvas.image.get(), 24, 24, kBlue);
    EXPECT_PIXEL(canvas.image.get(), 25, 24, kWhite);

    const Gdiplus::Point triangle[] = {{12, 0}, {20, 0}, {20, 8}};
    Gdiplus_FillPolygon(&canvas.graphics, triangle, 3, &blue);
    EXPECT_PIXEL(canvas.image.get(), 19, 1, kBlue);
    EXPECT_PIXEL(canvas.image.get(), 13, 6, kWhite);

    const RECT outline{0, 0, 10, 10};
    Gdiplus_DrawRect(&canvas.graphics, &outline, kRed, 2.0f);
    EXPECT_PIXEL(canvas.image.get(), 0, 4, kRed);
    EXPECT_PIXEL(canvas.image.get(), 8, 4, kRed);
    EXPECT_PIXEL(canvas.image.get(), 4, 4, kWhite);
    EXPECT_PIXEL(canvas.image.get(), 9, 4, kWhite);
    EXPECT_PIXEL(canvas.image.get(), 4, 9, kWhite);
    Gdiplus_FillRect(&canvas.graphics, nullptr, &blue);
    Gdiplus_FillPolygon(&canvas.graphics, nullptr, 3, &blue);
    Gdiplus_DrawRect(nullptr, &outline, kRed, 2.0f);
}

TEST(ImageDrawing, TextSetsTheHintOnlyWhenThereIsText) {
    Canvas canvas(40, 20);
    canvas.graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintSingleBitPerPixel);
    const Gdiplus::RectF layout(0, 0, 40, 20);
    const Gdiplus::Color black(kBlack);
    Gdiplus_DrawText(&canvas.graphics, L"", &layout, &black, nullptr, nullptr);
    Gdiplus_DrawText(&canvas.graphics, nullptr, &layout, &black, nullptr, nullptr);
    EXPECT_EQ(canvas.graphics.GetTextRenderingHint(), Gdiplus::TextRenderingHintSingleBitPerPixel);
    EXPECT_EQ(canvas.graphics.GetLastStatus(), Gdiplus::Ok);

    // No font: the hint is set, the drawing fails into the Graphics' status.
    Gdiplus_DrawText(&canvas.graphics, L"A", &layout, &black, nullptr, nullptr);
    EXPECT_EQ(canvas.graphics.GetTextRenderingHint(), Gdiplus::TextRenderingHintAntiAlias);
    EXPECT_NE(canvas.graphics.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(canvas.graphics.GetLastStatus(), Gdiplus::Ok);
}
