// Out-of-range arguments are ignored or clamped and the chart keeps drawing;
// empty client areas; appends from a second thread while the window repaints
// and is reconfigured.
#include "WaveTestSupport.h"

#include <atomic>
#include <climits>
#include <thread>

namespace wavetest {
namespace {

using ChartFaults = ChartTest;

// The chart still draws its red curve at the middle row after whatever came before.
void ExpectCurveAtMiddle(CWaveWnd& chart) {
    std::vector<int32_t> samples(300, 400);
    chart.SetSampleType(1);
    chart.SetChannelCount(1);
    chart.SetWindowLength(300);
    chart.AppendData(0, samples.data(), 300);
    ComposeFrame(chart);
    std::vector<int> rows = RowsOfColour(chart, 250, kRed);
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.front(), 100);
    EXPECT_GE(rows.back(), 100);
}

TEST_F(ChartFaults, ChannelNumbersOutsideTheTableAreIgnored) {
    Chart().SetChannelCount(1000);
    EXPECT_EQ(Chart().GetChannelCount(), 256);
    Chart().SetChannelCount(-4);
    EXPECT_EQ(Chart().GetChannelCount(), 0);
    Chart().SetChannelCount(1);
    int32_t sample = 5;
    Chart().AppendData(-1, &sample, 1);
    Chart().AppendData(256, &sample, 1);
    Chart().AppendData(INT_MIN, &sample, 1);
    Chart().AppendData(3, &sample, 1);  // beyond the count: nothing stored
    EXPECT_EQ(Chart().GetChannel(3).buffer.GetPartialCount(), 0);
    const COLORREF before = Chart().GetChannel(0).nColor;
    Chart().SetChannelColor(-1, 0x00FF00);
    Chart().SetChannelColor(256, 0x00FF00);
    EXPECT_EQ(Chart().GetChannel(0).nColor, before);
    EXPECT_EQ(Chart().GetChannel(255).nColor, gCommonColorTable[0][1]);  // 255 = 5 x 51: row 0, column 1
    EXPECT_FALSE(Chart().SetHoverFormat(-1, L"%d"));
    EXPECT_FALSE(Chart().SetHoverFormat(256, L"%d"));
    EXPECT_FALSE(Chart().SetHoverFormat(0, L"%s %n"));
    // A format set directly that would read a missing argument is not used.
    Chart().m_strHoverFormat[0] = L"%s%s%s";
    Chart().m_bHoverTip = TRUE;
    Chart().SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(Chart().GetHoverText(), L"");
    ExpectCurveAtMiddle(Chart());
}

TEST_F(ChartFaults, BadSampleCountsAreIgnored) {
    int32_t samples[4] = {1, 2, 3, 4};
    Chart().AppendData(0, samples, -5);
    Chart().AppendData(0, samples, 0);
    Chart().AppendData(0, samples, INT_MAX);  // would read far past the array
    Chart().AppendData(0, nullptr, 10);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetPartialCount(), 0);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetWindowsAppended(), 0);
    Chart().AppendData(0, samples, 4);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetPartialCount(), 4);
    ExpectCurveAtMiddle(Chart());
}

TEST_F(ChartFaults, WindowLengthIsClampedToAtLeastOne) {
    Chart().SetWindowLength(0);
    EXPECT_EQ(Chart().GetWindowLength(), 1);
    EXPECT_DOUBLE_EQ(Chart().GetTopAxis().m_fMax, 0.0);
    Chart().SetWindowLength(-5);
    EXPECT_EQ(Chart().GetWindowLength(), 1);
    ComposeFrame(Chart());
    Chart().SetWindowLength(INT_MAX);
    EXPECT_EQ(Chart().GetWindowLength(), kWaveMaxWindowLength);
    ExpectCurveAtMiddle(Chart());
}

TEST_F(ChartFaults, GridRowsAndPatternLengthOfZeroOrLess) {
    Chart().ShowGrid(TRUE);
    for (int rows : {0, -3, INT_MIN}) {
        for (int pattern : {0, -1, INT_MIN, INT_MAX}) {
            Chart().m_nGridRows = rows;
            Chart().SetGridStyle(pattern, 0x112233, 0x445566);
            Chart().Redraw();
            ComposeFrame(Chart());
        }
    }
    EXPECT_DOUBLE_EQ(Chart().GetGridRowSpacing(), 40.0);  // counted as one row, then clamped
    EXPECT_EQ(Back(Chart(), 60, 100), 0x445566u);         // centre row drawn
    ExpectCurveAtMiddle(Chart());
}

TEST_F(ChartFaults, ZeroSizedPlotDrawsNothingAndRecovers) {
    Chart().ShowLeftAxis(TRUE, 400);
    Chart().ShowRightAxis(TRUE, 400);  // wider than the client area together
    Chart().ShowBottomAxis(TRUE, 500);
    Chart().m_nPointBudget = 50;
    Chart().m_bMarkers = TRUE;
    Chart().m_markers.AddData(reinterpret_cast<void*>(intptr_t{7}), -1);
    Chart().ShowGrid(TRUE);
    AppendConstant(400);
    ComposeFrame(Chart());
    RECT plot = Chart().GetPlotRect();
    EXPECT_GE(plot.right - plot.left, 0);
    EXPECT_GE(plot.bottom - plot.top, 0);
    EXPECT_EQ(Chart().GetChannel(0).points.GetCount(), 0);
    // Hover and wheel over a plot of no size.
    Chart().m_bHoverTip = TRUE;
    Chart().EnableInteraction(TRUE, TRUE, TRUE, TRUE);
    Chart().SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(250, 100));
    Chart().SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), ScreenPoint(250, 100));
    Chart().ShowLeftAxis(TRUE, 50);
    Chart().ShowRightAxis(TRUE, 50);
    Chart().ShowBottomAxis(TRUE, 24);
    Chart().m_bMarkers = FALSE;
    Chart().ShowGrid(FALSE);
    Chart().m_nPointBudget = -1;
    ExpectCurveAtMiddle(Chart());
}

TEST(ChartEmptyClient, NoBitmapsUntilTheControlHasASize) {
    ChartHost host(0, 0);
    ASSERT_TRUE(host.chart.IsWindow());
    ConfigureLikeMainWindow(host.chart, nullptr, 300);
    EXPECT_EQ(host.chart.GetFrontPixels(), nullptr);
    EXPECT_EQ(host.chart.GetBackPixels(), nullptr);
    ::RedrawWindow(host.chart, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // paints nothing
    ::SetWindowPos(host.chart, nullptr, 0, 0, kChartWidth, kChartHeight, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_NE(host.chart.GetFrontPixels(), nullptr);
    EXPECT_EQ(host.chart.GetClientWidth(), kChartWidth);
    ExpectCurveAtMiddle(host.chart);
    // Configuring again (as every start of acquisition does) keeps one tooltip.
    ConfigureLikeMainWindow(host.chart, nullptr, 300);
    EXPECT_EQ(host.chart.GetToolTip().GetToolCount(), 1);
}

TEST(ChartLifecycle, DestroyFreesEverythingAndAppendsAfterwardsAreHarmless) {
    auto host = std::make_unique<ChartHost>();
    Gdiplus::Bitmap* picture = MakeHalvesPicture(64, 32);
    ConfigureLikeMainWindow(host->chart, picture, 300);
    delete picture;  // the chart keeps its own copy
    host->chart.AddOverlayText(L"x", nullptr, L"Arial", 12.0f, 0xFF000000);
    ComposeFrame(host->chart);
    host->frame.DestroyWindow();
    PumpMessages();
    EXPECT_EQ(host->chart.GetFrontPixels(), nullptr);
    EXPECT_EQ(host->chart.m_overlayTexts.GetCount(), 0);
    int32_t sample = 1;
    host->chart.AppendData(0, &sample, 1);
}

// A feeder thread appends as fast as it can (far above 1 kHz) while this
// thread repaints through the message loop and keeps changing the window
// length and the sample type. The typed append drops samples of an encoding
// the chart no longer has; the plain one is given arrays wide enough for any
// encoding, as a caller that cannot know the type must.
TEST(ChartConcurrency, AppendsFromAnotherThreadWhileRepaintingAndReconfiguring) {
    ChartHost host;
    ASSERT_TRUE(host.chart.IsWindow());
    CWaveWnd& chart = host.chart;
    ConfigureLikeMainWindow(chart, nullptr, 300);

    std::atomic<bool> stop{false};
    std::atomic<long long> appends{0};
    std::thread feeder([&] {
        std::vector<double> wide(600, 0.0);  // 600 x 8 bytes: room for 600 samples of any width
        std::vector<int32_t> history(300);
        long long n = 0;
        while (!stop.load()) {
            for (int i = 0; i < 300; ++i) history[i] = static_cast<int32_t>((n + i) % 800);
            chart.AppendTypedData(0, WAVE_SAMPLE_INT32, history.data(), 300);
            chart.AppendData(0, wide.data(), 1 + static_cast<int>(n % 599));
            ++n;
            appends.store(n);
        }
    });

    const DWORD start = ::GetTickCount();
    int round = 0;
    while (::GetTickCount() - start < 3000 || appends.load() < 1000) {
        PumpMessages();  // WM_PAINT from the feeder's invalidations
        switch (round++ % 4) {
        case 0: chart.SetWindowLength(300 + round % 200); break;
        case 1: chart.SetSampleType(round % 3 == 0 ? WAVE_SAMPLE_DOUBLE : WAVE_SAMPLE_INT32); break;
        case 2: ::RedrawWindow(chart, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); break;
        default: chart.SetWholeWindowsOnly(round % 8 == 3); break;
        }
    }
    stop.store(true);
    feeder.join();
    EXPECT_GE(appends.load(), 1000);
    chart.SetWholeWindowsOnly(FALSE);
    ExpectCurveAtMiddle(chart);
}

}  // namespace
}  // namespace wavetest
