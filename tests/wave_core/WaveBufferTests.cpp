// CWaveBuffer: appends and staging, array resizing, point building, column
// hit tests, and the settings a faulty caller can pass.
#include "WaveBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

namespace {

std::vector<int16_t> Ramp(int count, int first = 0) {
    std::vector<int16_t> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), static_cast<int16_t>(first));
    return v;
}

std::vector<double> Array(const CWaveBuffer& b) {
    std::vector<double> v(static_cast<size_t>(b.GetArraySampleCount()));
    if (!v.empty()) {
        EXPECT_EQ(b.ReadSamples(0, static_cast<int>(v.size()), v.data()), static_cast<int>(v.size()));
    }
    return v;
}

std::vector<double> Seq(int first, int count) {
    std::vector<double> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), static_cast<double>(first));
    return v;
}

std::vector<double> Concat(std::vector<double> a, const std::vector<double>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Pt {
    int x, y;
    bool operator==(const Pt& o) const { return x == o.x && y == o.y; }
};

std::vector<Pt> Points(const CPtrArrayCtrl& list) {
    std::vector<Pt> pts;
    for (int i = 0; i < list.GetCount(); ++i) pts.push_back({WavePointX(list.GetAt(i)), WavePointY(list.GetAt(i))});
    return pts;
}

std::vector<Pt> Map(CWaveBuffer& b, RECT plot, double zoom = 1.0) {
    CPtrArrayCtrl list;
    b.MapToPoints(plot, zoom, list);
    return Points(list);
}

// A buffer of N samples per window with its array allocated (zero-filled).
void Allocate(CWaveBuffer& b, int n, int type = WAVE_SAMPLE_INT16) {
    b.SetSampleType(type);
    b.SetWindowLength(n);
    ASSERT_EQ(b.GetArraySampleCount(), 2 * n);
}

// As Allocate, in whole-window mode: only complete windows move into the array.
void AllocateWholeWindows(CWaveBuffer& b, int n) {
    Allocate(b, n);
    b.SetWholeWindowsOnly(TRUE);
}

// Appends count samples climbing by 1 from first.
void AppendRamp(CWaveBuffer& b, int count, int first = 0) {
    const auto s = Ramp(count, first);
    b.AppendSamples(s.data(), count);
}

// What the buffer holds: its array, and the samples staged for a whole window.
std::pair<std::vector<double>, int> Held(const CWaveBuffer& b) { return {Array(b), b.GetStagedSampleCount()}; }

// Appends slices [from, from + count) of a ramp from 0, each followed by what
// the buffer holds then.
struct AppendStep {
    int from, count;
    std::vector<double> array;
    int staged;
};

void ExpectAppendSteps(CWaveBuffer& b, const std::vector<AppendStep>& steps) {
    const auto s = Ramp(steps.back().from + steps.back().count);
    for (const AppendStep& step : steps) {
        b.AppendSamples(s.data() + step.from, step.count);
        EXPECT_EQ(Held(b), std::make_pair(step.array, step.staged)) << "after " << step.count << " from " << step.from;
    }
}

// The append counters: whole windows appended, and samples of the window begun.
std::pair<int, int> Appended(const CWaveBuffer& b) { return {b.GetWindowsAppended(), b.GetPartialCount()}; }

}  // namespace

// ------------------------------------------------------------------ append

TEST(WaveBufferAppend, NeverAllocatedArrayStoresAndCountsNothing) {
    CWaveBuffer b;
    AppendRamp(b, 10);
    EXPECT_EQ(b.GetArraySampleCount(), 0);
    EXPECT_EQ(Appended(b), std::make_pair(0, 0));
    EXPECT_EQ(b.GetStagedSampleCount(), 0);
}

TEST(WaveBufferAppend, MoreThanTheWholeArrayAtOnceKeepsExactlyTheLastMTimesN) {
    CWaveBuffer b;
    Allocate(b, 8);
    AppendRamp(b, 50);
    EXPECT_EQ(Held(b), std::make_pair(Seq(34, 16), 0));
    EXPECT_EQ(Appended(b), std::make_pair(6, 2));
}

TEST(WaveBufferAppend, WholeWindowModeMovesOnlyCompleteWindows) {
    CWaveBuffer b;
    AllocateWholeWindows(b, 300);
    ExpectAppendSteps(b, {{0, 250, std::vector<double>(600, 0.0), 250},
                          {250, 100, Concat(std::vector<double>(300, 0.0), Seq(0, 300)), 50},
                          {350, 250, Seq(0, 600), 0}});
}

TEST(WaveBufferAppend, WholeWindowModeBeyondTheArrayKeepsTheLastWindowsAndStagesTheRest) {
    CWaveBuffer b;
    AllocateWholeWindows(b, 4);
    ExpectAppendSteps(b, {{0, 2, std::vector<double>(8, 0.0), 2},
                          {2, 17, Seq(8, 8), 3},  // 19 staged-then-new: 16 move, 3 stay
                          {19, 1, Seq(12, 8), 0}});
}

TEST(WaveBufferAppend, WindowCounterCountsWholeWindowsAcrossAnySplit) {
    CWaveBuffer b;
    Allocate(b, 300);
    const auto s = Ramp(300);
    b.AppendSamples(s.data(), 300);
    b.AppendSamples(s.data(), 300);
    EXPECT_EQ(Appended(b), std::make_pair(2, 0));
    for (int i = 0; i < 299; ++i) b.AppendSamples(s.data() + i, 1);
    EXPECT_EQ(Appended(b), std::make_pair(2, 299));
    b.AppendSamples(s.data(), 1);
    EXPECT_EQ(Appended(b), std::make_pair(3, 0));
}

TEST(WaveBufferAppend, ZeroNegativeCountsAndNullSamplesAreIgnored) {
    CWaveBuffer b;
    Allocate(b, 4);
    const auto s = Ramp(4, 1);
    b.AppendSamples(s.data(), 4);
    const auto before = Array(b);
    b.AppendSamples(s.data(), 0);
    b.AppendSamples(s.data(), -1);
    b.AppendSamples(s.data(), INT_MIN);
    b.AppendSamples(nullptr, 4);
    EXPECT_EQ(Array(b), before);
    EXPECT_EQ(Appended(b), std::make_pair(1, 0));
}

// ------------------------------------------------------------------ resize

TEST(WaveBufferResize, SameWindowCountKeepsArrayAndStagedSamples) {
    CWaveBuffer b;
    AllocateWholeWindows(b, 300);
    AppendRamp(b, 350);
    b.SetHistoryWindows(1);
    EXPECT_EQ(Held(b), std::make_pair(Concat(std::vector<double>(300, 0.0), Seq(0, 300)), 50));
}

TEST(WaveBufferResize, MoreWindowsKeepOldSamplesInFrontThenZeros) {
    CWaveBuffer b;
    AllocateWholeWindows(b, 3);
    AppendRamp(b, 8, 1);  // 6 move, 2 staged
    b.SetHistoryWindows(2);
    EXPECT_EQ(b.GetWindowsHeld(), 3);
    EXPECT_EQ(Held(b), std::make_pair(std::vector<double>{1, 2, 3, 4, 5, 6, 0, 0, 0}, 0));

    b.SetHistoryWindows(0);
    EXPECT_EQ(Array(b), (std::vector<double>{1, 2, 3}));
}

TEST(WaveBufferResize, WindowCountBelowOneOrBeyondMemoryIsIgnored) {
    CWaveBuffer b;
    Allocate(b, 4);
    AppendRamp(b, 8, 1);
    const auto before = Array(b);
    for (int k : {-1, -2, INT_MIN, INT_MAX, INT_MAX - 1, 1 << 28}) {
        b.SetHistoryWindows(k);
        EXPECT_EQ(b.GetWindowsHeld(), 2) << k;
        EXPECT_EQ(Array(b), before) << k;
    }
    AppendRamp(b, 1, 1);
    EXPECT_EQ(Array(b).back(), 1.0);
}

TEST(WaveBufferResize, WindowLengthBelowOneOrBeyondMemoryIsIgnored) {
    CWaveBuffer b;
    Allocate(b, 4);
    AppendRamp(b, 8, 1);
    const auto before = Array(b);
    for (int n : {0, -5, INT_MIN, INT_MAX, 1 << 27}) {
        b.SetWindowLength(n);
        EXPECT_EQ(b.GetWindowLength(), 4) << n;
        EXPECT_EQ(Array(b), before) << n;
    }
    b.SetSampleType(WAVE_SAMPLE_DOUBLE);
    b.SetHistoryWindows((1 << 25) - 1);  // 2^25 windows x 4 x 8 bytes: refused
    EXPECT_EQ(b.GetWindowsHeld(), 2);
    EXPECT_EQ(b.GetArraySampleCount(), 8);
}

TEST(WaveBufferResize, NewWindowLengthOrWidthGivesAZeroedArrayAndDropsStaging) {
    CWaveBuffer b;
    AllocateWholeWindows(b, 4);
    const auto s = Ramp(6, 1);
    b.AppendSamples(s.data(), 6);
    b.SetWindowLength(4);  // unchanged: nothing happens
    EXPECT_EQ(Held(b), std::make_pair(std::vector<double>{0, 0, 0, 0, 1, 2, 3, 4}, 2));

    b.SetWindowLength(3);
    EXPECT_EQ(Held(b), std::make_pair(std::vector<double>(6, 0.0), 0));

    b.AppendSamples(s.data(), 6);
    b.SetSampleType(WAVE_SAMPLE_INT32);
    EXPECT_EQ(Array(b), std::vector<double>(6, 0.0));
}

// ------------------------------------------------------------------ points

TEST(WaveBufferPoints, ValuesMapFromTopAtMaxToLastRowAtMinAndAreClamped) {
    CWaveBuffer b;
    Allocate(b, 3);
    b.SetValueRange(0.0, 1000.0);
    const int16_t s[] = {1000, 0, 500, 2000, -5};  // the last two lie outside the range
    b.AppendSamples(s, 3);
    EXPECT_EQ(Map(b, RECT{20, 10, 23, 110}), (std::vector<Pt>{{20, 10}, {21, 109}, {22, 60}}));
    b.AppendSamples(s + 3, 2);
    EXPECT_EQ(Map(b, RECT{0, 0, 3, 100}), (std::vector<Pt>{{0, 50}, {1, 0}, {2, 99}}));
}

TEST(WaveBufferPoints, ZoomedOutGivesOnePointPerColumnFromTheNearestSample) {
    CWaveBuffer b;
    Allocate(b, 1000);
    b.SetValueRange(0.0, 1000.0);
    const auto s = Ramp(1000);
    b.AppendSamples(s.data(), 1000);
    const auto pts = Map(b, RECT{5, 0, 106, 1000});
    ASSERT_EQ(pts.size(), 101u);
    for (int x = 0; x <= 100; ++x) EXPECT_EQ(pts[static_cast<size_t>(x)].x, 5 + x) << x;
    // Column x shows the sample nearest to x * 9.99 (1000 samples over 101
    // columns), and sample v lies on row 1000 - v (the bottom row is 999).
    const struct {
        int column, row;
    } expected[] = {{0, 999}, {1, 990}, {3, 970}, {33, 670}, {67, 331}, {99, 11}, {100, 1}};
    for (const auto& e : expected) EXPECT_EQ(pts[static_cast<size_t>(e.column)].y, e.row) << "column " << e.column;
    for (size_t i = 1; i < pts.size(); ++i) EXPECT_LT(pts[i].y, pts[i - 1].y) << i;  // the ramp climbs at every column
}

TEST(WaveBufferPoints, ZoomedInSpacesOnePointPerSample) {
    CWaveBuffer b;
    Allocate(b, 5);
    b.SetValueRange(0.0, 100.0);
    const int16_t s[] = {0, 10, 20, 30, 40};
    b.AppendSamples(s, 5);
    EXPECT_EQ(Map(b, RECT{0, 0, 101, 100}), (std::vector<Pt>{{0, 99}, {25, 90}, {50, 80}, {75, 70}, {100, 60}}));
}

TEST(WaveBufferPoints, OnePixelPlotTakesTheFirstSampleAndEmptyPlotsNone) {
    CWaveBuffer b;
    Allocate(b, 4);
    b.SetValueRange(0.0, 100.0);
    const int16_t s[] = {50, 0, 0, 0};
    b.AppendSamples(s, 4);
    EXPECT_EQ(Map(b, RECT{7, 0, 8, 100}), (std::vector<Pt>{{7, 50}}));
    EXPECT_TRUE(Map(b, RECT{7, 0, 7, 100}).empty());
    EXPECT_TRUE(Map(b, RECT{7, 0, 3, 100}).empty());
}

TEST(WaveBufferPoints, FlatOrInvertedPlotsStayOnTheTopEdge) {
    CWaveBuffer b;
    Allocate(b, 4);
    const auto s = Ramp(4, -2);
    b.AppendSamples(s.data(), 4);
    for (const RECT& plot : {RECT{0, 30, 4, 30}, RECT{0, 30, 4, 10}}) {
        const auto pts = Map(b, plot);
        ASSERT_EQ(pts.size(), 4u);
        for (const Pt& p : pts) EXPECT_EQ(p.y, 30);
    }
}

TEST(WaveBufferPoints, SingleSampleWindowAndEmptyValueRangeNeedNoDivision) {
    CWaveBuffer b;
    Allocate(b, 1);
    b.SetValueRange(5.0, 5.0);
    const int16_t s[] = {5, 4};
    b.AppendSamples(s, 2);  // window shows the newest: 4, below the empty range
    EXPECT_EQ(Map(b, RECT{0, 0, 50, 20}), (std::vector<Pt>{{0, 19}}));
    b.AppendSamples(s, 1);
    EXPECT_EQ(Map(b, RECT{0, 0, 50, 20}), (std::vector<Pt>{{0, 0}}));
}

TEST(WaveBufferPoints, UnusableZoomGivesNoPoints) {
    CWaveBuffer b;
    Allocate(b, 8);
    for (double zoom : {0.0, -1.0, std::nan(""), 9.0, std::numeric_limits<double>::infinity()})
        EXPECT_TRUE(Map(b, RECT{0, 0, 10, 10}, zoom).empty()) << zoom;
    // A tiny zoom shows what the array holds from the window's start: 8 samples.
    EXPECT_EQ(Map(b, RECT{0, 0, 10, 10}, 1e-300).size(), 8u);
}

TEST(WaveBufferPoints, WindowReachingPastTheArrayIsCutAtItsEnd) {
    CWaveBuffer b;
    Allocate(b, 4);  // 2 windows: zoom 0.25 would need 16 samples from index 4
    b.SetValueRange(0.0, 100.0);
    AppendRamp(b, 8);
    const auto pts = Map(b, RECT{0, 0, 4, 100}, 0.25);
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts.back().y, 93);
}

TEST(WaveBufferPoints, ScrollOffsetMovesTheWindowBackAndIsKeptInRange) {
    CWaveBuffer b;
    Allocate(b, 3);
    b.SetValueRange(0.0, 100.0);
    const int16_t s[] = {10, 20, 30, 40, 50, 60};
    b.AppendSamples(s, 6);
    b.SetScrollOffset(3);
    EXPECT_EQ(Map(b, RECT{0, 0, 3, 100}), (std::vector<Pt>{{0, 90}, {1, 80}, {2, 70}}));
    b.SetScrollOffset(-5);
    EXPECT_EQ(Map(b, RECT{0, 0, 3, 100}), (std::vector<Pt>{{0, 60}, {1, 50}, {2, 40}}));
    b.SetScrollOffset(INT_MAX);
    EXPECT_EQ(Map(b, RECT{0, 0, 3, 100}), (std::vector<Pt>{{0, 90}, {1, 80}, {2, 70}}));
}

TEST(WaveBufferPoints, VariantsDrawOnlyTheirOwnEncoding) {
    CWaveBuffer b;
    Allocate(b, 2, WAVE_SAMPLE_INT32);
    b.SetValueRange(0.0, 100.0);
    const int32_t s[] = {100, 0};
    b.AppendSamples(s, 2);
    const RECT plot{0, 0, 2, 100};
    CPtrArrayCtrl list;
    b.MapToPointsInt16(plot, 1.0, list);
    b.MapToPointsDouble(plot, 1.0, list);
    EXPECT_EQ(list.GetCount(), 0);
    b.MapToPointsInt32(plot, 1.0, list);
    EXPECT_EQ(Points(list), (std::vector<Pt>{{0, 0}, {1, 99}}));
}

TEST(WaveBufferPoints, NonFiniteDoublesLandInsideThePlot) {
    CWaveBuffer b;
    Allocate(b, 3, WAVE_SAMPLE_DOUBLE);
    b.SetValueRange(0.0, 10.0);
    const double s[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()};
    b.AppendSamples(s, 3);
    CPtrArrayCtrl list;
    b.MapToPointsDouble(RECT{0, 0, 3, 10}, 1.0, list);
    EXPECT_EQ(Points(list), (std::vector<Pt>{{0, 0}, {1, 0}, {2, 9}}));
}

// ------------------------------------------------------------------ column

TEST(WaveBufferColumn, ReportsTheSampleItsRowAndItsPositionInTheWindow) {
    CWaveBuffer b;
    Allocate(b, 10);
    b.SetValueRange(0.0, 100.0);
    AppendRamp(b, 20, 1);
    const RECT plot{50, 50, 60, 150};
    int pos = -1, type = -1;
    double value = 0, y = 0;
    ASSERT_TRUE(b.SampleAtColumn(plot, 1.0, 3, &pos, &type, &value, &y));
    EXPECT_EQ(type, WAVE_SAMPLE_INT16);
    EXPECT_EQ(value, 14.0);
    EXPECT_EQ(y, 86.0);
    EXPECT_EQ(pos, 3);

    b.SetScrollOffset(2);
    ASSERT_TRUE(b.SampleAtColumn(plot, 1.0, 3, &pos, &type, &value, &y));
    EXPECT_EQ(value, 12.0);
    EXPECT_EQ(pos, 3);
}

TEST(WaveBufferColumn, ColumnsOutsideThePlotMissAndOffsetsAreStoredClamped) {
    CWaveBuffer b;
    Allocate(b, 10);
    const RECT plot{0, 0, 10, 10};
    int pos;
    EXPECT_FALSE(b.SampleAtColumn(plot, 1.0, 10, &pos, nullptr, nullptr, nullptr));
    EXPECT_FALSE(b.SampleAtColumn(plot, 1.0, -1, &pos, nullptr, nullptr, nullptr));
    b.SetScrollOffset(-5);
    EXPECT_TRUE(b.SampleAtColumn(plot, 1.0, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(b.GetScrollOffset(), 0);
    b.SetScrollOffset(13);
    EXPECT_TRUE(b.SampleAtColumn(plot, 1.0, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(b.GetScrollOffset(), 10);
}

TEST(WaveBufferColumn, OnePixelPlotTakesTheFirstSample) {
    CWaveBuffer b;
    Allocate(b, 4);
    const int16_t s[] = {9, 8, 7, 6};
    b.AppendSamples(s, 4);
    double value = 0;
    ASSERT_TRUE(b.SampleAtColumn(RECT{3, 0, 4, 10}, 1.0, 0, nullptr, nullptr, &value, nullptr));
    EXPECT_EQ(value, 9.0);
}

TEST(WaveBufferColumn, UnknownEncodingLeavesTheValueAndMissingArrayMisses) {
    CWaveBuffer fresh;
    EXPECT_FALSE(fresh.SampleAtColumn(RECT{0, 0, 10, 10}, 1.0, 1, nullptr, nullptr, nullptr, nullptr));

    CWaveBuffer b;
    Allocate(b, 4);
    b.SetSampleType(9);
    int type = -1;
    double value = 1234.5;
    EXPECT_TRUE(b.SampleAtColumn(RECT{0, 0, 10, 10}, 1.0, 1, nullptr, &type, &value, nullptr));
    EXPECT_EQ(type, 9);
    EXPECT_EQ(value, 1234.5);
}

namespace {

TEST(WaveBufferVisible, TheSamplesTheCurveShowsOldestFirstAtEveryOffsetAndZoom) {
    CWaveBuffer b;
    Allocate(b, 3, WAVE_SAMPLE_INT32);
    const int32_t s[] = {10, 20, 30, 40, 50, 60};
    b.AppendSamples(s, 6);
    EXPECT_EQ(b.ReadVisibleSamples(1.0), (std::vector<double>{40, 50, 60})) << "the newest window";
    b.SetScrollOffset(1);
    EXPECT_EQ(b.ReadVisibleSamples(1.0), (std::vector<double>{30, 40, 50}));
    b.SetScrollOffset(3);
    EXPECT_EQ(b.ReadVisibleSamples(1.0), (std::vector<double>{10, 20, 30}));
    b.SetScrollOffset(0);
    // Zoomed in: fewer samples from the window's start; zoomed out past the
    // array: cut at its end, as the curve is.
    EXPECT_EQ(b.ReadVisibleSamples(3.0), (std::vector<double>{40}));
    EXPECT_EQ(b.ReadVisibleSamples(0.5), (std::vector<double>{40, 50, 60}));
    EXPECT_TRUE(b.ReadVisibleSamples(0.0).empty());
}

TEST(WaveBufferVisible, NothingBeforeTheArrayExists) {
    CWaveBuffer b;
    EXPECT_TRUE(b.ReadVisibleSamples(1.0).empty());
}

}  // namespace
