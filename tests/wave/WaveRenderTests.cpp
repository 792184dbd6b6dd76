// What the chart draws: layout, the plot picture, the live curve, the grid,
// markers, the counter, and a real paint through WM_PAINT.
#include "WaveTestSupport.h"

#include <algorithm>

namespace wavetest {
namespace {

using ChartRender = ChartTest;

// The red curve in the back buffer's column x reaches at least as high as
// row top and at least as low as row bottom.
testing::AssertionResult CurveReaches(const CWaveWnd& chart, int x, int top, int bottom) {
    const std::vector<int> rows = RowsOfColour(chart, x, kRed);
    if (rows.empty()) return testing::AssertionFailure() << "no curve in column " << x;
    if (rows.front() <= top && rows.back() >= bottom) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "curve in column " << x << " covers rows " << rows.front() << ".."
                                       << rows.back() << ", not " << top << ".." << bottom;
}

TEST_F(ChartRender, MainWindowLayoutFramesA400By200Plot) {
    RECT plot = Chart().GetPlotRect();
    EXPECT_EQ(plot.left, 50);
    EXPECT_EQ(plot.top, 0);
    EXPECT_EQ(plot.right, 450);
    EXPECT_EQ(plot.bottom, 200);
    EXPECT_EQ(Chart().GetLeftAxis().m_rcAxis.right, 50);
    EXPECT_EQ(Chart().GetRightAxis().m_rcAxis.left, 450);
    EXPECT_EQ(Chart().GetBottomAxis().m_rcAxis.top, 200);
    EXPECT_EQ(Chart().GetTopAxis().m_nTickCount, 4);
    EXPECT_DOUBLE_EQ(Chart().GetTopAxis().m_fMin, 15.0);
    EXPECT_DOUBLE_EQ(Chart().GetTopAxis().m_fMax, 0.0);
    EXPECT_DOUBLE_EQ(Chart().GetLeftAxis().m_fMax, 800.0);
}

TEST_F(ChartRender, PlotPictureIsCopiedIntoThePlotAndTheRestIsWhite) {
    ComposeFrame(Chart());
    EXPECT_EQ(Back(Chart(), 60, 100), 0x00C000u);   // left half of the picture
    EXPECT_EQ(Back(Chart(), 440, 100), 0x0000C0u);  // right half
    EXPECT_EQ(Back(Chart(), 5, 212), 0xFFFFFFu);    // corner: window background
    EXPECT_FALSE(Chart().IsBackgroundDirty());
}

TEST_F(ChartRender, RedCurveSitsAtTheRowOfItsValue) {
    AppendConstant(400);
    ComposeFrame(Chart());
    // 400 of 0..800 maps to the middle row of the 200-pixel plot; the pen is 4 wide.
    EXPECT_TRUE(CurveReaches(Chart(), 250, 100, 100));
    const std::vector<int> rows = RowsOfColour(Chart(), 250, kRed);
    ASSERT_FALSE(rows.empty());
    EXPECT_LE(rows.back() - rows.front(), 4);
    // The background layer stays free of the curve.
    EXPECT_NE(Back(Chart(), 250, 100), kRed);

    AppendConstant(200);
    ComposeFrame(Chart());
    EXPECT_TRUE(CurveReaches(Chart(), 250, 150, 150));
}

TEST_F(ChartRender, NewestSampleIsAtTheRightEdge) {
    std::vector<int32_t> history(300, 0);
    history[299] = 800;
    Chart().AppendData(0, history.data(), 300);
    ComposeFrame(Chart());
    // The curve climbs to the top only at the very right of the plot.
    EXPECT_TRUE(RowsOfColour(Chart(), 300, kRed).back() >= 195);
    std::vector<int> right = RowsOfColour(Chart(), 448, kRed);
    ASSERT_FALSE(right.empty());
    EXPECT_LT(right.front(), 100);
}

TEST_F(ChartRender, SmoothCurveIsDrawnInTheSameColour) {
    Chart().SetSmoothCurve(TRUE);
    AppendConstant(400);
    ComposeFrame(Chart());
    EXPECT_TRUE(CurveReaches(Chart(), 250, 101, 99));
}

TEST_F(ChartRender, UnknownSampleTypeDrawsNoCurve) {
    Chart().SetSampleType(7);
    std::vector<int16_t> samples(300, 100);
    Chart().AppendData(0, samples.data(), 300);
    ComposeFrame(Chart());
    EXPECT_TRUE(RowsOfColour(Chart(), 250, kRed).empty());
}

TEST_F(ChartRender, GridOf40PixelCellsIn320By160Plot) {
    ChartHost host(320, 160);
    ASSERT_TRUE(host.chart.IsWindow());
    CWaveWnd& chart = host.chart;
    chart.SetPlotBackground(TRUE, 0, 0xFFFFFF);
    chart.m_nGridRows = 4;  // 160 / 4 = 40-pixel rows; 320 / 40 = 8 columns
    chart.InitWindow();
    ComposeFrame(chart);
    EXPECT_DOUBLE_EQ(chart.GetGridRowSpacing(), 40.0);
    EXPECT_DOUBLE_EQ(chart.GetGridColSpacing(), 40.0);
    const DWORD grid = 0x5F20, center = 0xE3CF57;
    for (int y : {0, 40, 120}) EXPECT_EQ(Back(chart, 17, y), grid) << y;
    EXPECT_EQ(Back(chart, 17, 80), center);  // centre row over the regular one
    for (int x : {0, 40, 80, 120, 200, 240, 280}) EXPECT_EQ(Back(chart, x, 17), grid) << x;
    EXPECT_EQ(Back(chart, 160, 17), center);
    EXPECT_EQ(Back(chart, 17, 17), 0xFFFFFFu);  // inside a cell
    EXPECT_EQ(Back(chart, 39, 39), 0xFFFFFFu);
}

TEST_F(ChartRender, GridOffLeavesThePicture) {
    ComposeFrame(Chart());
    for (int y = 0; y < 200; ++y) ASSERT_EQ(Back(Chart(), 60, y), 0x00C000u) << y;
}

TEST_F(ChartRender, MarkerFillsFourColumnsFromTheCurveDown) {
    Chart().m_bMarkers = TRUE;
    Chart().m_markers.AddData(reinterpret_cast<void*>(intptr_t{0}), -1);
    Chart().SetLineWidth(1);
    AppendConstant(400);
    ComposeFrame(Chart());
    const DWORD marker = 0xFFFF00;
    for (int x = 50; x <= 53; ++x) {
        EXPECT_EQ(Front(Chart(), x, 150), marker) << x;
        EXPECT_EQ(Front(Chart(), x, 199), marker) << x;
        EXPECT_NE(Front(Chart(), x, 90), marker) << x;
    }
    EXPECT_NE(Front(Chart(), 54, 150), marker);
    EXPECT_NE(Back(Chart(), 51, 150), marker);  // markers live on the frame only
}

TEST_F(ChartRender, CounterShowsTheWindowsAppended) {
    auto counted = [&]() {
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 50; x < 120; ++x)
                if (Front(Chart(), x, y) == 0x008000u) ++n;
        return n;
    };
    Chart().SetPlotBackground(TRUE, 0, 0xFFFFFF);
    Chart().m_nCounterColor = RGB(0, 128, 0);
    Chart().m_counterFont.CreateFontW(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                      L"Arial");
    Chart().Redraw();
    AppendConstant(400);
    ComposeFrame(Chart());
    EXPECT_EQ(counted(), 0);
    Chart().ShowCounter(TRUE);
    Chart().m_strCounterPrefix = L"N=";
    ComposeFrame(Chart());
    EXPECT_GT(counted(), 20);
}

TEST_F(ChartRender, OverlayTextIsDrawnIntoTheBackground) {
    Chart().SetPlotBackground(TRUE, 0, 0xFFFFFF);
    RECT where{60, 10, 300, 60};
    ASSERT_TRUE(Chart().AddOverlayText(L"HELLO", &where, L"Arial", 30.0f, 0xFF000080));
    Chart().Redraw();
    ComposeFrame(Chart());
    int inked = 0;
    for (int y = 10; y < 60; ++y)
        for (int x = 60; x < 300; ++x)
            if (Back(Chart(), x, y) != 0xFFFFFFu) ++inked;
    EXPECT_GT(inked, 30);
}

TEST_F(ChartRender, PointBudgetThinsTheCurve) {
    AppendConstant(400);
    ComposeFrame(Chart());
    EXPECT_EQ(Chart().GetChannel(0).points.GetCount(), 300);
    Chart().m_nPointBudget = 100;  // 400-pixel plot: 4 pixels apart
    ComposeFrame(Chart());
    const CPtrArrayCtrl& points = Chart().GetChannel(0).points;
    ASSERT_GE(points.GetCount(), 2);
    EXPECT_LE(points.GetCount(), 101);
    for (int i = 1; i + 1 < points.GetCount(); ++i) {
        int gap = WavePointX(points.GetAt(i)) - WavePointX(points.GetAt(i - 1));
        EXPECT_GE(gap, 4) << i;
    }
}

TEST_F(ChartRender, PaintMessageCopiesTheFrameToTheScreen) {
    AppendConstant(400);
    PumpMessages();
    ::RedrawWindow(Chart(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::vector<int> rows = RowsOfColour(Chart(), 250, kRed);
    ASSERT_FALSE(rows.empty());
    // The screen shows the same pixel (read back through a window DC).
    WindowDC dc(Chart());
    COLORREF onScreen = ::GetPixel(dc.Get(), 250, rows.front());
    if (onScreen != CLR_INVALID) {
        EXPECT_EQ(onScreen, RGB(255, 0, 0));
    }
}

TEST_F(ChartRender, AppendsRequestOneRepaintWithoutRebuildingTheBackground) {
    ::RedrawWindow(Chart(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT update;
    ASSERT_FALSE(::GetUpdateRect(Chart(), &update, FALSE));
    ASSERT_FALSE(Chart().IsBackgroundDirty());
    int32_t sample = 100;
    Chart().AppendData(3, &sample, 1);  // beyond the channel count: no repaint either
    EXPECT_FALSE(::GetUpdateRect(Chart(), &update, FALSE));
    for (int i = 0; i < 50; ++i) AppendConstant(400, 7);
    EXPECT_TRUE(::GetUpdateRect(Chart(), &update, FALSE));
    EXPECT_FALSE(Chart().IsBackgroundDirty());
    ::UpdateWindow(Chart());  // the one paint
    EXPECT_FALSE(::GetUpdateRect(Chart(), &update, FALSE));
    EXPECT_FALSE(RowsOfColour(Chart(), 448, kRed).empty());
    AppendConstant(400, 1);  // after the paint, the next append asks again
    EXPECT_TRUE(::GetUpdateRect(Chart(), &update, FALSE));
}

TEST_F(ChartRender, DrawingHooksSeeTheLayersAndMayDrawCurvesThemselves) {
    struct Hook : IWaveDrawHook {
        int backgrounds = 0, prepared = 0, curves = 0;
        void* context = nullptr;
        RECT plot{};
        BOOL drawItself = FALSE;
        BOOL OnDrawBackground(CDC*, HBITMAP, void* pixels, int width, int height, int stride, RECT, RECT, RECT, RECT,
                              RECT plotRect, void* ctx) override {
            ++backgrounds;
            plot = plotRect;
            context = ctx;
            // Paint one pixel of the plot black, after fills and before the labels.
            static_cast<DWORD*>(pixels)[static_cast<size_t>(plotRect.top + 5) * (stride / 4) + plotRect.left + 5] = 0;
            return TRUE;
        }
        BOOL OnPrepareCurve(int channel, RECT, CPtrArrayCtrl* points, void*) override {
            prepared += points->GetCount() > 0 ? 1 : 0;
            return TRUE;
        }
        BOOL OnDrawCurve(CDC*, RECT, int, CPtrArrayCtrl*, int lineWidth, COLORREF color, BOOL, void*) override {
            ++curves;
            return drawItself;
        }
    } hook;
    int token = 0;
    Chart().m_pDrawHook = &hook;
    Chart().m_pDrawHookContext = &token;
    Chart().Redraw();
    AppendConstant(400);
    ComposeFrame(Chart());
    EXPECT_EQ(hook.backgrounds, 1);
    EXPECT_EQ(hook.context, &token);
    EXPECT_EQ(hook.plot.left, 50);
    EXPECT_EQ(Back(Chart(), 55, 5), 0u);
    EXPECT_EQ(hook.prepared, 1);
    EXPECT_EQ(hook.curves, 1);
    EXPECT_FALSE(RowsOfColour(Chart(), 250, kRed).empty());  // hook declined: the chart drew it
    hook.drawItself = TRUE;
    ComposeFrame(Chart());
    EXPECT_EQ(hook.backgrounds, 1);  // live frames do not rebuild the background
    EXPECT_TRUE(RowsOfColour(Chart(), 250, kRed).empty());
    Chart().m_pDrawHook = nullptr;
}

TEST_F(ChartRender, SameWindowLengthKeepsTheSamplesButResetsTheView) {
    AppendConstant(400);
    Chart().EnableInteraction(FALSE, FALSE, TRUE, FALSE);
    Chart().SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)), ScreenPoint(250, 100));
    ASSERT_NE(Chart().GetZoom(), 1.0);
    Chart().SetWindowLength(300);
    EXPECT_DOUBLE_EQ(Chart().GetZoom(), 1.0);
    EXPECT_EQ(Chart().GetScrollOffset(), 0);
    EXPECT_DOUBLE_EQ(Chart().GetBottomAxis().m_fMax, 299.0);
    EXPECT_DOUBLE_EQ(Chart().GetBottomAxis().m_fWrapPeriod, 300.0);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetWindowsHeld(), 2);
    double last = 0;
    ASSERT_EQ(Chart().GetChannel(0).buffer.ReadSamples(599, 1, &last), 1);
    EXPECT_DOUBLE_EQ(last, 400.0);
}

TEST_F(ChartRender, ConfigurationWithoutRedrawWaitsForTheNextRebuild) {
    ComposeFrame(Chart());
    Chart().SetBackColor(0x123456);  // stored only
    AppendConstant(400);
    ComposeFrame(Chart());
    EXPECT_EQ(Back(Chart(), 5, 212), 0xFFFFFFu);
    Chart().Redraw();
    ComposeFrame(Chart());
    EXPECT_EQ(Back(Chart(), 5, 212), 0x563412u);  // COLORREF 0x123456 as pixel 0x563412
}

}  // namespace
}  // namespace wavetest
