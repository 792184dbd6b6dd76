// CWaveCoordinate: label numbers, decimals, wrapping, fixed texts and the
// rectangles and formats the labels are drawn with.
#include "WaveCoordinate.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::wstring> Texts(const CWaveCoordinate& axis) {
    std::vector<std::wstring> t;
    for (int i = 0; i < axis.GetLabelCount(); ++i) t.push_back(axis.GetLabelText(i));
    return t;
}

WaveAxisLabelBox Box(const CWaveCoordinate& axis, int i) {
    WaveAxisLabelBox box{};
    EXPECT_TRUE(axis.GetLabelBox(i, &box)) << i;
    return box;
}

void ExpectRect(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

// Label i's text rectangle and format.
void ExpectLabel(const CWaveCoordinate& axis, int i, const RECT& rect, UINT format) {
    SCOPED_TRACE("label " + std::to_string(i));
    const WaveAxisLabelBox b = Box(axis, i);
    ExpectRect(b.rcText, rect.left, rect.top, rect.right, rect.bottom);
    EXPECT_EQ(b.nFormat, format);
}

// The formats of labels given as {label, format}.
void ExpectFormats(const CWaveCoordinate& axis, std::initializer_list<std::pair<int, UINT>> formats) {
    for (const auto& f : formats) EXPECT_EQ(Box(axis, f.first).nFormat, f.second) << "label " << f.first;
}

void SetRange(CWaveCoordinate& axis, double min, double max, int ticks) {
    axis.m_fMin = min;
    axis.m_fMax = max;
    axis.m_nTickCount = ticks;
}

}  // namespace

// ----------------------------------------------------------------- numbers

TEST(WaveAxisNumbers, QuarterStepsUseOneDecimalRoundedAwayFromZero) {
    CWaveCoordinate axis;
    SetRange(axis, 0.0, 1.0, 5);
    EXPECT_EQ(axis.GetDecimals(), 1);
    EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"0.0", L"0.3", L"0.5", L"0.8", L"1.0"}));
    SetRange(axis, -1.0, 0.0, 5);
    EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"-1.0", L"-0.8", L"-0.5", L"-0.3", L"0.0"}));
}

TEST(WaveAxisNumbers, ZeroStepUsesTenDecimals) {
    CWaveCoordinate axis;
    SetRange(axis, 5.0, 5.0, 3);
    EXPECT_EQ(axis.GetDecimals(), 10);
    EXPECT_EQ(axis.GetLabelText(1), L"5.0000000000");
}

TEST(WaveAxisNumbers, DescendingRangeCountsDownLeftToRight) {
    CWaveCoordinate axis;
    SetRange(axis, 15.0, 0.0, 4);
    EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"15", L"10", L"5", L"0"}));
}

TEST(WaveAxisNumbers, FixedDecimalsAreCappedAtWhatADoubleCarries) {
    CWaveCoordinate axis;
    SetRange(axis, 0.0, 1.0, 5);
    axis.m_nDecimals = INT_MAX;
    EXPECT_EQ(axis.GetDecimals(), CWaveCoordinate::kMaxDecimals);
    EXPECT_EQ(axis.GetLabelText(4).size(), 2u + CWaveCoordinate::kMaxDecimals);
}

TEST(WaveAxisNumbers, ExtremeRangesFormatWithoutFault) {
    CWaveCoordinate axis;
    SetRange(axis, -1e300, 1e300, 3);
    axis.m_nDecimals = 10;  // 1e310 overflows while rounding: shown unrounded
    EXPECT_GT(axis.GetLabelText(0).size(), 300u);
    SetRange(axis, std::nan(""), 1.0, 3);
    axis.m_nDecimals = -1;
    EXPECT_FALSE(axis.GetLabelText(1).empty());
}

// -------------------------------------------------------------------- wrap

TEST(WaveAxisWrap, ValuesOutsideTheRangeComeBackByWholePeriods) {
    CWaveCoordinate axis;
    axis.m_fWrapLow = 0.0;
    axis.m_fWrapHigh = 63.0;
    axis.m_fWrapPeriod = 63.0;
    SetRange(axis, -10.0, 70.0, 2);
    EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"53", L"7"}));
    SetRange(axis, 63.0, 200.0, 2);
    EXPECT_EQ(axis.GetLabelValue(0), 63.0);
    EXPECT_EQ(axis.GetLabelValue(1), 11.0);
}

TEST(WaveAxisWrap, NoPeriodNoWrapping) {
    CWaveCoordinate axis;
    axis.m_fWrapHigh = 63.0;
    SetRange(axis, -10.0, 70.0, 2);
    for (double period : {0.0, -1.0}) {
        axis.m_fWrapPeriod = period;
        EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"-10", L"70"}));
    }
}

TEST(WaveAxisWrap, HugeValuesWrapWithoutOverflowingTheQuotient) {
    CWaveCoordinate axis;
    axis.m_fWrapLow = 0.0;
    axis.m_fWrapHigh = 63.0;
    axis.m_fWrapPeriod = 63.0;
    SetRange(axis, 1e12, 1e12, 1);  // quotient 15873015873, beyond 32 bits
    EXPECT_EQ(axis.GetLabelValue(0), std::fmod(1e12, 63.0));
    SetRange(axis, -1e300, -1e300, 1);
    EXPECT_TRUE(std::isfinite(axis.GetLabelValue(0)));
}

// ------------------------------------------------------------ fixed labels

TEST(WaveAxisFixedLabels, ReplaceAnyPositionSurviveRangeChangesAndIgnoreStrayKeys) {
    CWaveCoordinate axis;
    SetRange(axis, 15.0, 0.0, 4);
    CPtrArrayCtrl source;
    WaveAxisLabel first{0, L"T0-15"}, last{3, L"T0"}, stray{7, L"never"};
    source.AddData(&first, -1);
    source.AddData(nullptr, -1);
    source.AddData(&last, -1);
    source.AddData(&stray, -1);
    axis.SetLabels(&source);
    first.strText = L"changed by the caller";  // the axis holds copies
    EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"T0-15", L"10", L"5", L"T0"}));

    SetRange(axis, 0.0, 300.0, 4);
    EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"T0-15", L"100", L"200", L"T0"}));

    axis.SetLabels(nullptr);
    EXPECT_EQ(Texts(axis), (std::vector<std::wstring>{L"0", L"100", L"200", L"300"}));
}

TEST(WaveAxisFixedLabels, GivingTheAxisItsOwnListClearsItWithoutReadingFreedItems) {
    CWaveCoordinate axis;
    CPtrArrayCtrl source;
    WaveAxisLabel one{1, L"A"};
    source.AddData(&one, -1);
    axis.SetLabels(&source);
    axis.SetLabels(&axis.m_labels);
    EXPECT_EQ(axis.m_labels.GetCount(), 0);
}

// ------------------------------------------------------------------ layout

TEST(WaveAxisLayout, HorizontalLabelsSpanTheirPitchAlignedToTheirPlace) {
    CWaveCoordinate axis;
    SetRange(axis, 0.0, 3.0, 4);
    axis.m_rcAxis = RECT{10, 100, 310, 120};
    axis.m_nLabelInset = 5;

    ExpectLabel(axis, 0, RECT{10, 105, 110, 120}, 0x8020u);
    ExpectLabel(axis, 1, RECT{60, 105, 160, 120}, 0x8021u);
    ExpectRect(Box(axis, 2).rcText, 160, 105, 260, 120);
    ExpectLabel(axis, 3, RECT{210, 105, 310, 120}, 0x8022u);
    EXPECT_EQ(Box(axis, 3).strText, L"3");

    axis.m_bAlignStart = FALSE;
    ExpectFormats(axis, {{0, 0x8028u}, {1, 0x8029u}});
    ExpectLabel(axis, 3, RECT{210, 100, 310, 115}, 0x802Au);
}

TEST(WaveAxisLayout, VerticalLabelsRunTopToBottomWithTheirFormats) {
    CWaveCoordinate axis;
    axis.m_bVertical = TRUE;
    SetRange(axis, 0.0, 4.0, 5);
    axis.m_rcAxis = RECT{0, 20, 50, 220};
    axis.m_nLabelInset = 2;

    ExpectLabel(axis, 0, RECT{2, 20, 50, 70}, 0x8020u);
    EXPECT_EQ(Box(axis, 0).strText, L"4");
    ExpectLabel(axis, 2, RECT{2, 95, 50, 145}, 0x8024u);
    ExpectLabel(axis, 4, RECT{2, 170, 50, 220}, 0x8028u);

    axis.m_bAlignStart = FALSE;
    ExpectFormats(axis, {{0, 0x8022u}, {2, 0x8026u}});
    ExpectLabel(axis, 4, RECT{0, 170, 48, 220}, 0x802Au);
}

TEST(WaveAxisLayout, FractionalPitchRoundsEachEdge) {
    CWaveCoordinate axis;
    SetRange(axis, 0.0, 3.0, 4);
    axis.m_rcAxis = RECT{0, 0, 10, 20};  // pitch 3.33
    ExpectRect(Box(axis, 0).rcText, 0, 0, 3, 20);
    ExpectRect(Box(axis, 1).rcText, 2, 0, 5, 20);
    ExpectRect(Box(axis, 2).rcText, 5, 0, 8, 20);
    ExpectRect(Box(axis, 3).rcText, 7, 0, 10, 20);
}

TEST(WaveAxisLayout, OneLabelHasNoWidthAndNoLabelsDrawNothing) {
    CWaveCoordinate axis;
    SetRange(axis, 2.0, 9.0, 1);
    axis.m_rcAxis = RECT{10, 0, 110, 20};
    EXPECT_EQ(axis.GetStep(), 0.0);
    WaveAxisLabelBox b = Box(axis, 0);
    EXPECT_EQ(b.rcText.left, 10);
    EXPECT_EQ(b.rcText.right, 10);
    EXPECT_FALSE(axis.GetLabelBox(1, &b));

    for (int ticks : {0, -3, INT_MIN}) {
        axis.m_nTickCount = ticks;
        EXPECT_EQ(axis.GetLabelCount(), 0);
        EXPECT_FALSE(axis.GetLabelBox(0, &b));
    }
}

TEST(WaveAxisLayout, ExtremeRectanglesAndInsetsStayWithinCoordinates) {
    CWaveCoordinate axis;
    SetRange(axis, 0.0, 1.0, 3);
    axis.m_rcAxis = RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    axis.m_nLabelInset = INT_MIN;
    WaveAxisLabelBox b = Box(axis, 2);
    EXPECT_EQ(b.rcText.right, INT_MAX);
    EXPECT_EQ(b.rcText.top, INT_MIN);
    axis.m_bAlignStart = FALSE;
    axis.m_bVertical = TRUE;
    b = Box(axis, 2);
    EXPECT_EQ(b.rcText.right, INT_MAX);
}
