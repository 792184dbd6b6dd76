#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

using namespace ctlmath;

namespace {

// ---------------------------------------------------------------- line layout

TEST(LineLayout, TwoLinesSpreadEvenlyWithCentredAlignment) {
    float gap = 0;
    const std::vector<float> tops = LineTops(0, kAlignCenter, 0.0f, 100.0f, {30.0f, 30.0f}, &gap);
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_FLOAT_EQ(gap, 40.0f / 3.0f);
    EXPECT_FLOAT_EQ(tops[0], 40.0f / 3.0f);
    EXPECT_FLOAT_EQ(tops[1], 30.0f + 80.0f / 3.0f);
    // The gap below the last line equals the others.
    EXPECT_NEAR(100.0f - (tops[1] + 30.0f), gap, 1e-4);
}

TEST(LineLayout, AutomaticGapIsSameForEveryAlignment) {
    for (int align : {kAlignNear, kAlignCenter, kAlignFar}) {
        float gap = 0;
        const std::vector<float> tops = LineTops(0, align, 10.0f, 110.0f, {20.0f, 20.0f, 20.0f}, &gap);
        ASSERT_EQ(tops.size(), 3u);
        EXPECT_FLOAT_EQ(gap, 10.0f) << align;
        EXPECT_FLOAT_EQ(tops[0], 20.0f) << align;
        EXPECT_FLOAT_EQ(tops[2], 80.0f) << align;
    }
}

TEST(LineLayout, FixedGapPlacesFirstLineByAlignment) {
    const std::vector<float> heights{10.0f, 10.0f};
    EXPECT_FLOAT_EQ(LineTops(5, kAlignNear, 0.0f, 100.0f, heights)[0], 5.0f);
    // Centre: T + g + (H - S - 3g) / 2 = 5 + (100 - 20 - 15) / 2.
    EXPECT_FLOAT_EQ(LineTops(5, kAlignCenter, 0.0f, 100.0f, heights)[0], 5.0f + 65.0f / 2.0f);
    // Far: B - S - n g, so one gap stays below the last line.
    const std::vector<float> far = LineTops(5, kAlignFar, 0.0f, 100.0f, heights);
    EXPECT_FLOAT_EQ(far[0], 70.0f);
    EXPECT_FLOAT_EQ(far[1] + 10.0f, 95.0f);
}

TEST(LineLayout, OneLineIsCentredVertically) {
    float gap = 0;
    const std::vector<float> tops = LineTops(0, kAlignCenter, 0.0f, 40.0f, {16.0f}, &gap);
    EXPECT_FLOAT_EQ(gap, 12.0f);
    EXPECT_FLOAT_EQ(tops[0], 12.0f);
}

TEST(LineLayout, NoLinesAndOverfullBoxesStayFinite) {
    float gap = -7;
    EXPECT_TRUE(LineTops(0, kAlignCenter, 0.0f, 10.0f, {}, &gap).empty());
    EXPECT_EQ(gap, 0.0f);
    // Many lines taller than the box: negative gaps, still finite and ordered.
    const std::vector<float> heights(200, 12.0f);
    const std::vector<float> tops = LineTops(0, kAlignCenter, 0.0f, 10.0f, heights, &gap);
    ASSERT_EQ(tops.size(), heights.size());
    EXPECT_LT(gap, 0.0f);
    for (float t : tops) EXPECT_TRUE(std::isfinite(t));
    // Zero-height box and empty lines.
    const std::vector<float> empty = LineTops(0, kAlignFar, 0.0f, 0.0f, {0.0f, 0.0f}, &gap);
    EXPECT_EQ(gap, 0.0f);
    EXPECT_EQ(empty[0], 0.0f);
}

TEST(LineLayout, UnknownAlignmentCountsAsNear) {
    EXPECT_FLOAT_EQ(FirstLineTop(7, 0.0f, 100.0f, 20.0f, 1, 4.0f), 4.0f);
}

// ---------------------------------------------------------------- colours and fonts

TEST(Colours, ColorRefBecomesOpaqueArgb) {
    EXPECT_EQ(ArgbFromColorRef(0x00000000u), 0xFF000000u);
    EXPECT_EQ(ArgbFromColorRef(0x00332211u), 0xFF112233u);  // BBGGRR -> RRGGBB
    EXPECT_EQ(ArgbFromColorRef(0x000000FFu), 0xFFFF0000u);
    EXPECT_EQ(ArgbFromColorRef(0xAAFFFFFFu), 0xFFFFFFFFu);  // the high byte never shows
}

TEST(Fonts, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDivRounded(12, 96, 72), 16);
    EXPECT_EQ(MulDivRounded(9, 96, 72), 12);
    EXPECT_EQ(MulDivRounded(1, 3, 2), 2);
    EXPECT_EQ(MulDivRounded(-1, 3, 2), -2);
    EXPECT_EQ(MulDivRounded(1, -3, 2), -2);
    EXPECT_EQ(MulDivRounded(5, 1, 0), -1);
    EXPECT_EQ(MulDivRounded(INT_MAX, 4, 1), -1);
    EXPECT_EQ(MulDivRounded(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
}

TEST(Fonts, HeightForPointsIsNegativeAndNeverZero) {
    EXPECT_EQ(FontHeightForPoints(40, 96), -53);
    EXPECT_EQ(FontHeightForPoints(30, 96), -40);
    EXPECT_EQ(FontHeightForPoints(9, 96), -12);
    EXPECT_EQ(FontHeightForPoints(40, 120), -67);
    EXPECT_EQ(FontHeightForPoints(0, 96), -1);   // a scale of nearly 0 still gives a font
    EXPECT_EQ(FontHeightForPoints(12, 0), -16);  // no device answer: 96 dpi
}

// ---------------------------------------------------------------- resize

TEST(Resize, RatiosAreNewSizeOverRecordedSize) {
    const ResizeRatios r = ComputeResizeRatios(300, 100, 200, 200, false);
    EXPECT_TRUE(r.usable);
    EXPECT_DOUBLE_EQ(r.sx, 1.5);
    EXPECT_DOUBLE_EQ(r.sy, 0.5);
    EXPECT_DOUBLE_EQ(r.m, 0.5);
    const ResizeRatios u = ComputeResizeRatios(300, 100, 200, 200, true);
    EXPECT_DOUBLE_EQ(u.sx, 0.5);
    EXPECT_DOUBLE_EQ(u.sy, 0.5);
}

TEST(Resize, EmptySizesNeverDivide) {
    for (auto sizes : std::vector<std::vector<int>>{{100, 100, 0, 0}, {100, 100, 0, 50}, {0, 0, 100, 100},
                                                    {-5, 10, 100, 100}, {10, 10, 10, -1}}) {
        const ResizeRatios r = ComputeResizeRatios(sizes[0], sizes[1], sizes[2], sizes[3], false);
        EXPECT_FALSE(r.usable);
        EXPECT_EQ(r.sx, 1.0);
        EXPECT_EQ(r.sy, 1.0);
        EXPECT_EQ(r.m, 1.0);
    }
}

TEST(Resize, RectanglesScaleCutTowardZero) {
    const IntRect r{10, 20, 33, 47};
    EXPECT_EQ(ScaleRect(r, 1.0, 1.0), r);
    EXPECT_EQ(ScaleRect(r, 2.0, 1.0), (IntRect{20, 20, 66, 47}));
    EXPECT_EQ(ScaleRect(r, 1.5, 0.5), (IntRect{15, 10, 49, 23}));
    EXPECT_EQ(ScaleRect(IntRect{-7, -3, 5, 5}, 0.5, 0.5), (IntRect{-3, -1, 2, 2}));  // toward zero
}

TEST(Resize, HugeRatiosStayInRange) {
    EXPECT_EQ(ScaleCoordinate(INT_MAX, 10.0), INT_MAX);
    EXPECT_EQ(ScaleCoordinate(INT_MIN, 10.0), INT_MIN);
    EXPECT_EQ(ScaleCoordinate(5, std::nan("")), 0);
}

TEST(Resize, FontHeightsScaleBySmallerRatio) {
    EXPECT_EQ(ScaleFontDimension(-12, 1.5), -18);
    EXPECT_EQ(ScaleFontDimension(-12, 0.9), -10);
    EXPECT_EQ(ScaleFontDimension(-12, 1.0), -12);
    EXPECT_EQ(ScaleFontDimension(16, 0.5), 8);
    EXPECT_EQ(ScaleFontDimension(0, 3.0), 0);  // default width stays default
}

TEST(Resize, FontThatScalesToZeroKeepsOnePixel) {
    EXPECT_EQ(ScaleFontDimension(-12, 0.01), -1);
    EXPECT_EQ(ScaleFontDimension(7, 0.1), 1);
}

}  // namespace
