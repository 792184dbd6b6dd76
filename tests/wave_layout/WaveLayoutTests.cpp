// Chart arithmetic: layout, grid, points, interaction steps.
#include "WaveLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<uint64_t> Row(int count, int y, int left = 0) {
    std::vector<uint64_t> pts;
    for (int x = 0; x < count; ++x) pts.push_back(WavePackPoint(left + x, y));
    return pts;
}

// ---------------------------------------------------------------- layout

TEST(WaveLayout, AxesFramePlotAndCornersBelongToNoOne) {
    WaveLayoutRects rc = WaveCalcLayout(400, 300, 50, 40, 20, 24);
    EXPECT_EQ(rc.plot.left, 50);
    EXPECT_EQ(rc.plot.top, 20);
    EXPECT_EQ(rc.plot.right, 360);
    EXPECT_EQ(rc.plot.bottom, 276);
    EXPECT_EQ(rc.leftAxis.left, 0);
    EXPECT_EQ(rc.leftAxis.right, 50);
    EXPECT_EQ(rc.leftAxis.top, 20);
    EXPECT_EQ(rc.leftAxis.bottom, 276);
    EXPECT_EQ(rc.rightAxis.left, 360);
    EXPECT_EQ(rc.rightAxis.right, 400);
    EXPECT_EQ(rc.topAxis.left, 50);
    EXPECT_EQ(rc.topAxis.right, 360);
    EXPECT_EQ(rc.topAxis.bottom, 20);
    EXPECT_EQ(rc.bottomAxis.top, 276);
    EXPECT_EQ(rc.bottomAxis.bottom, 300);
}

TEST(WaveLayout, OversizedOrNegativeAxesNeverTurnThePlotInsideOut) {
    WaveLayoutRects rc = WaveCalcLayout(100, 50, 80, 80, -5, 200);
    EXPECT_GE(rc.plot.Width(), 0);
    EXPECT_GE(rc.plot.Height(), 0);
    EXPECT_EQ(rc.plot.top, 0);
    rc = WaveCalcLayout(0, 0, 50, 50, 24, 24);
    EXPECT_EQ(rc.plot.Width(), 0);
    EXPECT_EQ(rc.plot.Height(), 0);
}

// ------------------------------------------------------------------ grid

TEST(WaveGrid, RowSpacingFollowsRowCountWithinEightToForty) {
    EXPECT_DOUBLE_EQ(WaveCalcGridSpacing(600, 300, 16).rowSpacing, 18.75);
    EXPECT_DOUBLE_EQ(WaveCalcGridSpacing(600, 100, 16).rowSpacing, 8.0);
    EXPECT_DOUBLE_EQ(WaveCalcGridSpacing(600, 1000, 16).rowSpacing, 40.0);
}

TEST(WaveGrid, ColumnCountIsRoundedDownToEven) {
    WaveGridSpacing g = WaveCalcGridSpacing(1000, 1000, 16);
    EXPECT_EQ(g.colCount, 24);
    EXPECT_NEAR(g.colSpacing, 1000.0 / 24, 1e-12);
    EXPECT_EQ(WaveCalcGridSpacing(10, 300, 16).colCount, 0);
}

TEST(WaveGrid, RowCountOfZeroOrLessAndEmptyPlotStayDefined) {
    EXPECT_DOUBLE_EQ(WaveCalcGridSpacing(300, 300, 0).rowSpacing, 40.0);
    EXPECT_DOUBLE_EQ(WaveCalcGridSpacing(300, 300, -7).rowSpacing, 40.0);
    WaveGridSpacing g = WaveCalcGridSpacing(0, 0, 16);
    EXPECT_DOUBLE_EQ(g.rowSpacing, 8.0);
    EXPECT_EQ(g.colCount, 0);
}

TEST(WaveGrid, Plot320By160With40PixelCells) {
    WaveBox plot{50, 10, 370, 170};
    WaveGridLines lines = WaveCalcGridLines(plot, 40.0, 40.0, true);
    EXPECT_EQ(lines.rows, (std::vector<int>{10, 50, 90, 130, 170}));
    EXPECT_EQ(lines.centerRow, 90);
    ASSERT_EQ(lines.cols.size(), 9u);
    for (int i = 0; i <= 8; ++i) EXPECT_EQ(lines.cols[i], 50 + 40 * i);
    EXPECT_EQ(lines.centerCol, 210);
}

TEST(WaveGrid, LeftoverCentresTheGrid) {
    WaveBox plot{0, 0, 100, 90};
    WaveGridLines lines = WaveCalcGridLines(plot, 40.0, 40.0, true);
    EXPECT_EQ(lines.rows, (std::vector<int>{5, 45, 85}));
    EXPECT_EQ(lines.cols, (std::vector<int>{10, 50, 90}));
}

TEST(WaveGrid, NoColumnsOrBadSpacingsGiveOnlyCentreLines) {
    WaveBox plot{0, 0, 100, 100};
    WaveGridLines lines = WaveCalcGridLines(plot, 40.0, 40.0, false);
    EXPECT_TRUE(lines.cols.empty());
    EXPECT_FALSE(lines.rows.empty());
    lines = WaveCalcGridLines(plot, 0.0, -3.0, true);
    EXPECT_TRUE(lines.cols.empty());
    EXPECT_TRUE(lines.rows.empty());
    EXPECT_EQ(lines.centerCol, 50);
    EXPECT_EQ(lines.centerRow, 50);
    lines = WaveCalcGridLines(plot, NAN, INFINITY, true);
    EXPECT_TRUE(lines.cols.empty());
    EXPECT_TRUE(lines.rows.empty());
}

// ---------------------------------------------------------------- points

TEST(WavePoints, PackKeepsNegativeCoordinates) {
    uint64_t p = WavePackPoint(-3, 70000);
    EXPECT_EQ(WavePackedX(p), -3);
    EXPECT_EQ(WavePackedY(p), 70000);
    EXPECT_EQ(p & 0xFFFFFFFFu, 0xFFFFFFFDu);
}

TEST(WavePoints, ClipRemovesPointsOnOrBeyondTheFarEdges) {
    WaveBox plot{10, 10, 20, 20};
    std::vector<uint64_t> pts{WavePackPoint(9, 15),  WavePackPoint(10, 10), WavePackPoint(19, 19),
                              WavePackPoint(20, 15), WavePackPoint(15, 20), WavePackPoint(15, 9)};
    WaveClipPoints(pts, plot);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(WavePackedX(pts[0]), 10);
    EXPECT_EQ(WavePackedX(pts[1]), 19);
}

TEST(WavePoints, ZeroHeightPlotRemovesEverything) {
    std::vector<uint64_t> pts = Row(50, 5);
    WaveClipPoints(pts, WaveBox{0, 5, 50, 5});
    EXPECT_TRUE(pts.empty());
}

TEST(WavePoints, BudgetOf100On400PixelsKeepsFourPixelGapsAndTheLastPoint) {
    EXPECT_EQ(WaveThinningGap(400, 100), 4);
    std::vector<uint64_t> pts = Row(400, 7, 30);
    WaveThinPoints(pts, WaveThinningGap(400, 100));
    ASSERT_EQ(pts.size(), 101u);
    for (size_t i = 1; i + 1 < pts.size(); ++i) EXPECT_EQ(WavePackedX(pts[i]) - WavePackedX(pts[i - 1]), 4);
    EXPECT_EQ(WavePackedX(pts.back()), 30 + 399);
}

TEST(WavePoints, NoThinningWithoutBudgetOrWithGapZero) {
    EXPECT_EQ(WaveThinningGap(400, 1000), 0);
    EXPECT_EQ(WaveThinningGap(400, -1), 0);
    EXPECT_EQ(WaveThinningGap(400, 0), 0);
    EXPECT_EQ(WaveThinningGap(0, 100), 0);
    std::vector<uint64_t> pts = Row(400, 1);
    WaveThinPoints(pts, 0);
    EXPECT_EQ(pts.size(), 400u);
    std::vector<uint64_t> none;
    WaveThinPoints(none, 4);
    EXPECT_TRUE(none.empty());
}

// ----------------------------------------------------------- interaction

TEST(WaveDrag, FirstStepNeedsMoreThanTenPixelsLaterOnesMoreThanOne) {
    EXPECT_FALSE(WaveDragExceeds(10, true));
    EXPECT_FALSE(WaveDragExceeds(-10, true));
    EXPECT_TRUE(WaveDragExceeds(11, true));
    EXPECT_TRUE(WaveDragExceeds(-11, true));
    EXPECT_FALSE(WaveDragExceeds(1, false));
    EXPECT_TRUE(WaveDragExceeds(2, false));
}

TEST(WaveDrag, HorizontalPanScalesByClientWidthAndWraps) {
    WaveHorzPan pan = WaveCalcHorzPan(300, 1.0, 600, 0, 20);
    EXPECT_TRUE(pan.moved);
    EXPECT_EQ(pan.shift, 10);
    EXPECT_EQ(pan.scrollOffset, 10);
    pan = WaveCalcHorzPan(300, 1.0, 600, 5, -20);
    EXPECT_EQ(pan.scrollOffset, 295);
    // Too small to move one sample: nothing moves, so movements add up.
    EXPECT_FALSE(WaveCalcHorzPan(300, 1.0, 600, 0, 1).moved);
    // A whole visible window or more is refused.
    EXPECT_FALSE(WaveCalcHorzPan(300, 1.0, 600, 0, 600).moved);
    EXPECT_FALSE(WaveCalcHorzPan(300, 1.0, 0, 0, 20).moved);
}

TEST(WaveDrag, PanningByNSamplesInTotalReturnsTheOffset) {
    int offset = 17;
    for (int i = 0; i < 30; ++i) offset = WaveCalcHorzPan(300, 1.0, 600, offset, 20).scrollOffset;
    EXPECT_EQ(offset, 17);
}

TEST(WaveDrag, VerticalPanAndValueZoom) {
    double lo, hi;
    ASSERT_TRUE(WaveCalcVertPan(0.0, 800.0, 400, 20, &lo, &hi));
    EXPECT_DOUBLE_EQ(lo, 40.0);
    EXPECT_DOUBLE_EQ(hi, 840.0);
    EXPECT_FALSE(WaveCalcVertPan(0.0, 800.0, 0, 20, &lo, &hi));
    ASSERT_TRUE(WaveCalcValueZoom(0.0, 800.0, 400, 200, 120, &lo, &hi));
    EXPECT_DOUBLE_EQ(lo, 80.0);
    EXPECT_DOUBLE_EQ(hi, 720.0);
    ASSERT_TRUE(WaveCalcValueZoom(0.0, 800.0, 400, 200, -120, &lo, &hi));
    EXPECT_DOUBLE_EQ(lo, -100.0);
    EXPECT_DOUBLE_EQ(hi, 900.0);
    EXPECT_FALSE(WaveCalcValueZoom(0.0, 800.0, 0, 0, 120, &lo, &hi));
}

TEST(WaveZoom, NineStepsOutReachAbout0134AndTheTenthIsRefused) {
    double zoom = 1.0;
    int offset = 0;
    for (int i = 0; i < 9; ++i) {
        WaveTimeZoom z = WaveCalcTimeZoom(300, 400, zoom, offset, 100, -120, 15.0, 0.0);
        ASSERT_TRUE(z.accepted) << i;
        zoom = z.zoom;
        offset = z.scrollOffset;
        EXPECT_GE(offset, 0);
        EXPECT_LT(offset, 300);
    }
    EXPECT_NEAR(zoom, 0.134, 0.001);
    WaveTimeZoom z = WaveCalcTimeZoom(300, 400, zoom, offset, 100, -120, 15.0, 0.0);
    EXPECT_FALSE(z.accepted);
    EXPECT_DOUBLE_EQ(z.zoom, zoom);
    EXPECT_EQ(z.scrollOffset, offset);
}

TEST(WaveZoom, ZoomInStopsAtHalfTheWindowLength) {
    double zoom = 1.0;
    int steps = 0;
    for (;;) {
        WaveTimeZoom z = WaveCalcTimeZoom(300, 400, zoom, 0, 0, 120, 0.0, 299.0);
        if (!z.accepted) break;
        zoom = z.zoom;
        ++steps;
    }
    EXPECT_LE(zoom, 150.0);
    EXPECT_GT(zoom * 1.25, 150.0);
    EXPECT_EQ(steps, 22);
}

TEST(WaveZoom, HistoryWindowsFollowTheZoom) {
    EXPECT_EQ(WaveCalcTimeZoom(300, 400, 1.0, 0, 0, -120, 0, 299).historyWindows, 2);  // 3 windows held
    EXPECT_EQ(WaveHistoryWindowsForZoom(0.8 * 0.8 * 0.8 * 0.8), 3);                    // 4 windows held
    EXPECT_EQ(WaveHistoryWindowsForZoom(0.8 * 1.25), 1);
    EXPECT_EQ(WaveHistoryWindowsForZoom(0.0), 1);
}

TEST(WaveZoom, AnchorSampleStaysUnderThePointerAtOffsetZero) {
    // At zoom 1 and offset 0 with the pointer at the right edge nothing moves.
    WaveTimeZoom z = WaveCalcTimeZoom(300, 300, 1.0, 0, 299, 120, 0.0, 299.0);
    ASSERT_TRUE(z.accepted);
    EXPECT_GE(z.scrollOffset, 0);
    EXPECT_LT(z.scrollOffset, 300);
    EXPECT_NEAR(z.axisMax - z.axisMin, 299.0 / 1.25, 1e-9);
}

TEST(WaveZoom, DegeneratePlotsAndLengthsAreRefused) {
    EXPECT_FALSE(WaveCalcTimeZoom(300, 1, 1.0, 0, 0, 120, 0, 1).accepted);
    EXPECT_FALSE(WaveCalcTimeZoom(300, 0, 1.0, 0, 0, 120, 0, 1).accepted);
    EXPECT_FALSE(WaveCalcTimeZoom(0, 400, 1.0, 0, 0, 120, 0, 1).accepted);
    EXPECT_FALSE(WaveCalcTimeZoom(1, 400, 1.0, 0, 0, 120, 0, 1).accepted);  // 1.25 > N / 2
}

TEST(WaveHover, PositionCountsFromTheWindowStartModuloN) {
    EXPECT_EQ(WaveHoverPosition(300, 0, 5), 5);
    EXPECT_EQ(WaveHoverPosition(300, 10, 5), 295);
    EXPECT_EQ(WaveHoverPosition(300, -4, 5), 9);
    EXPECT_EQ(WaveHoverPosition(0, 0, 5), 0);
}

TEST(WaveHover, FormatsMayConvertAnIntThenADoubleOnly) {
    EXPECT_TRUE(WaveHoverFormatIsSafe(L""));
    EXPECT_TRUE(WaveHoverFormatIsSafe(nullptr));
    EXPECT_TRUE(WaveHoverFormatIsSafe(L"#%d: %.1f cm"));
    EXPECT_TRUE(WaveHoverFormatIsSafe(L"%05d %-8.3g 100%%"));
    EXPECT_TRUE(WaveHoverFormatIsSafe(L"sample %d"));
    EXPECT_FALSE(WaveHoverFormatIsSafe(L"%f %d"));
    EXPECT_FALSE(WaveHoverFormatIsSafe(L"%s"));
    EXPECT_FALSE(WaveHoverFormatIsSafe(L"%d %f %d"));
    EXPECT_FALSE(WaveHoverFormatIsSafe(L"%*d"));
    EXPECT_FALSE(WaveHoverFormatIsSafe(L"%n"));
    EXPECT_FALSE(WaveHoverFormatIsSafe(L"%lld"));
    EXPECT_FALSE(WaveHoverFormatIsSafe(L"50%"));
}

TEST(WaveMarkers, BandOfWidthThreeAtPositionZeroCoversFourColumns) {
    WaveMarkerBand band;
    ASSERT_TRUE(WaveCalcMarkerBand(0, 400, 300, 3, &band));
    EXPECT_EQ(band.column, 0);
    EXPECT_EQ(band.x0, 0);
    EXPECT_EQ(band.x1, 3);
    ASSERT_TRUE(WaveCalcMarkerBand(299, 400, 300, 3, &band));
    EXPECT_EQ(band.column, 398);
    EXPECT_EQ(band.x0, 397);
    EXPECT_EQ(band.x1, 399);
}

TEST(WaveMarkers, EmptyPlotNegativeWidthOrHugePositionsStayInside) {
    WaveMarkerBand band;
    EXPECT_FALSE(WaveCalcMarkerBand(0, 0, 300, 3, &band));
    EXPECT_FALSE(WaveCalcMarkerBand(0, 400, 0, 3, &band));
    ASSERT_TRUE(WaveCalcMarkerBand(2000000000, 400, 1, -9, &band));
    EXPECT_EQ(band.x0, 399);
    EXPECT_EQ(band.x1, 399);
    ASSERT_TRUE(WaveCalcMarkerBand(-2000000000, 400, 1, 2000000000, &band));
    EXPECT_EQ(band.x0, 0);
    EXPECT_EQ(band.x1, 399);
}

}  // namespace
