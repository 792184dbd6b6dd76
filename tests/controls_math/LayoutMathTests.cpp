#include "LayoutMath.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

using namespace ctlmath;

namespace {

TEST(LineLayout, AutomaticGapsAreEqualAboveBetweenAndBelow) {
    float gap = 0;
    // Two lines of 30 in 100: gaps of 40/3, tops at 40/3 and 30 + 80/3.
    std::vector<float> tops = LineTops(0, kAlignCenter, 0.0f, 100.0f, {30.0f, 30.0f}, &gap);
    ASSERT_EQ(tops.size(), 2u);
    EXPECT_FLOAT_EQ(gap, 40.0f / 3.0f);
    EXPECT_FLOAT_EQ(tops[0], 40.0f / 3.0f);
    EXPECT_FLOAT_EQ(tops[1], 30.0f + 80.0f / 3.0f);
    // With the automatic gap every alignment gives the same places.
    for (int align : {0, 1, 2, 7}) {  // near, centre, far, unknown
        tops = LineTops(0, align, 10.0f, 110.0f, {20.0f, 20.0f, 20.0f}, &gap);
        EXPECT_FLOAT_EQ(gap, 10.0f) << align;
        EXPECT_FLOAT_EQ(tops[0], 20.0f) << align;
        EXPECT_FLOAT_EQ(tops[2], 80.0f) << align;
    }
}

TEST(LineLayout, FixedGapPlacesFirstLineByAlignment) {
    const std::vector<float> heights{10.0f, 10.0f};
    EXPECT_FLOAT_EQ(LineTops(5, kAlignNear, 0.0f, 100.0f, heights)[0], 5.0f);
    // Two lines of 10 and three gaps of 5 (35 in all) centred in 100: 32.5
    // free above that block, then the first gap.
    EXPECT_FLOAT_EQ(LineTops(5, kAlignCenter, 0.0f, 100.0f, heights)[0], 37.5f);
    const std::vector<float> far = LineTops(5, kAlignFar, 0.0f, 100.0f, heights);
    EXPECT_FLOAT_EQ(far[0], 70.0f);
    EXPECT_FLOAT_EQ(far[1] + 10.0f, 95.0f);  // one gap stays below the last line
}

TEST(LineLayout, NoLinesOverfullAndEmptyBoxesStayFinite) {
    float gap = -7;
    EXPECT_TRUE(LineTops(0, kAlignCenter, 0.0f, 10.0f, {}, &gap).empty());
    EXPECT_EQ(gap, 0.0f);
    const std::vector<float> tops = LineTops(0, kAlignCenter, 0.0f, 10.0f, std::vector<float>(200, 12.0f), &gap);
    ASSERT_EQ(tops.size(), 200u);
    EXPECT_LT(gap, 0.0f);
    for (float t : tops) EXPECT_TRUE(std::isfinite(t));
    EXPECT_EQ(LineTops(0, kAlignFar, 0.0f, 0.0f, {0.0f, 0.0f}, &gap)[0], 0.0f);
}

TEST(LabelArithmetic, ColoursAndFontHeights) {
    EXPECT_EQ(ArgbFromColorRef(0x00332211u), 0xFF112233u);  // BBGGRR -> opaque RRGGBB
    EXPECT_EQ(ArgbFromColorRef(0xAAFFFFFFu), 0xFFFFFFFFu);
    EXPECT_EQ(MulDivRounded(1, 3, 2), 2);  // half away from zero, as MulDiv
    EXPECT_EQ(MulDivRounded(-1, 3, 2), -2);
    EXPECT_EQ(MulDivRounded(5, 1, 0), -1);
    EXPECT_EQ(MulDivRounded(INT_MAX, 4, 1), -1);
    EXPECT_EQ(FontHeightForPoints(40, 96), -53);
    EXPECT_EQ(FontHeightForPoints(30, 96), -40);
    EXPECT_EQ(FontHeightForPoints(0, 96), -1);   // a scale of nearly 0 still gives a font
    EXPECT_EQ(FontHeightForPoints(12, 0), -16);  // no device answer: 96 dpi
}

TEST(ResizeArithmetic, RatiosNeverDivideByAnEmptySize) {
    ResizeRatios r = ComputeResizeRatios(300, 100, 200, 200, false);
    EXPECT_TRUE(r.usable);
    EXPECT_DOUBLE_EQ(r.sx, 1.5);
    EXPECT_DOUBLE_EQ(r.sy, 0.5);
    EXPECT_DOUBLE_EQ(r.m, 0.5);
    r = ComputeResizeRatios(300, 100, 200, 200, true);
    EXPECT_DOUBLE_EQ(r.sx, 0.5);
    EXPECT_DOUBLE_EQ(r.sy, 0.5);
    for (auto s :
         std::vector<std::vector<int>>{{100, 100, 0, 0}, {100, 100, 0, 50}, {0, 0, 100, 100}, {-5, 10, 9, 9}}) {
        r = ComputeResizeRatios(s[0], s[1], s[2], s[3], false);
        EXPECT_FALSE(r.usable);
        EXPECT_EQ(r.sx, 1.0);
        EXPECT_EQ(r.sy, 1.0);
    }
}

TEST(ResizeArithmetic, RectanglesAndFontsCutTowardZero) {
    const IntRect r{10, 20, 33, 47};
    EXPECT_EQ(ScaleRect(r, 1.0, 1.0), r);
    EXPECT_EQ(ScaleRect(r, 2.0, 1.0), (IntRect{20, 20, 66, 47}));
    EXPECT_EQ(ScaleRect(r, 1.5, 0.5), (IntRect{15, 10, 49, 23}));
    EXPECT_EQ(ScaleRect(IntRect{-7, -3, 5, 5}, 0.5, 0.5), (IntRect{-3, -1, 2, 2}));
    EXPECT_EQ(ScaleCoordinate(INT_MAX, 10.0), INT_MAX);
    EXPECT_EQ(ScaleCoordinate(5, std::nan("")), 0);
    EXPECT_EQ(ScaleFontDimension(-12, 1.5), -18);
    EXPECT_EQ(ScaleFontDimension(-12, 0.9), -10);
    EXPECT_EQ(ScaleFontDimension(0, 3.0), 0);      // default width stays default
    EXPECT_EQ(ScaleFontDimension(-12, 0.01), -1);  // never the default size that 0 asks for
    EXPECT_EQ(ScaleFontDimension(7, 0.1), 1);
}

}  // namespace
