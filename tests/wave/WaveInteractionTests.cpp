// Mouse interaction through synthesised messages: drags, wheel zooms, the
// double-click reset, the hover read-out, and nothing at all with every
// switch off.
#include "WaveTestSupport.h"

#include <cmath>

namespace wavetest {
namespace {

class ChartInteraction : public ChartTest {
protected:
    void Send(UINT msg, WPARAM wParam, int x, int y) { Chart().SendMessage(msg, wParam, MAKELPARAM(x, y)); }
    void Wheel(int delta, bool ctrl, int x, int y) {
        Chart().SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(ctrl ? MK_CONTROL : 0, static_cast<WORD>(delta)),
                            ScreenPoint(x, y));
    }
    void Settle() { ComposeFrame(Chart()); }  // clears the dirty flag
    void Range0(double* lo, double* hi) { Chart().GetChannel(0).buffer.GetValueRange(lo, hi); }
    // The hover read-out on, naming "#position: value cm", over a window of
    // 300 samples climbing by 2 from 0.
    void HoverOverRamp() {
        ASSERT_TRUE(Chart().SetHoverFormat(0, L"#%d: %.0f cm"));
        Chart().m_bHoverTip = TRUE;
        std::vector<int32_t> samples(300);
        for (int i = 0; i < 300; ++i) samples[i] = 2 * i;
        Chart().AppendData(0, samples.data(), 300);
    }
};

TEST_F(ChartInteraction, EverySwitchOffChangesNothing) {
    Settle();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 100);
    EXPECT_NE(::GetCapture(), Chart().GetSafeHwnd());
    Send(WM_MOUSEMOVE, MK_LBUTTON, 260, 160);
    Send(WM_LBUTTONUP, 0, 260, 160);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 200, 100);
    Wheel(120, false, 200, 100);
    Wheel(-120, true, 200, 100);
    double lo, hi;
    Range0(&lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 0.0);
    EXPECT_DOUBLE_EQ(hi, 800.0);
    EXPECT_DOUBLE_EQ(Chart().GetZoom(), 1.0);
    EXPECT_EQ(Chart().GetScrollOffset(), 0);
    EXPECT_FALSE(Chart().IsDragging());
    EXPECT_FALSE(Chart().IsBackgroundDirty());
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetWindowsHeld(), 2);
}

TEST_F(ChartInteraction, HorizontalDragNeedsElevenPixelsFirstThenTwo) {
    Chart().EnableInteraction(FALSE, FALSE, FALSE, TRUE);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 100);
    EXPECT_EQ(::GetCapture(), Chart().GetSafeHwnd());
    Send(WM_MOUSEMOVE, MK_LBUTTON, 210, 100);  // 10 pixels: not yet
    EXPECT_EQ(Chart().GetScrollOffset(), 0);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 211, 100);  // 11 x 300 / 500 = 6 samples
    EXPECT_EQ(Chart().GetScrollOffset(), 6);
    EXPECT_DOUBLE_EQ(Chart().GetTopAxis().m_fMin, 15.0 - 6);
    EXPECT_DOUBLE_EQ(Chart().GetBottomAxis().m_fMax, 0.0 - 6);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetScrollOffset(), 6);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 212, 100);  // 1 pixel: below the later threshold
    EXPECT_EQ(Chart().GetScrollOffset(), 6);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 213, 100);  // 2 pixels: 1 sample
    EXPECT_EQ(Chart().GetScrollOffset(), 7);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 200, 100);  // back 13 pixels: 7 samples
    EXPECT_EQ(Chart().GetScrollOffset(), 0);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 190, 100);  // further left wraps below 0
    EXPECT_EQ(Chart().GetScrollOffset(), 294);
    Send(WM_LBUTTONUP, 0, 190, 100);
    EXPECT_NE(::GetCapture(), Chart().GetSafeHwnd());
    EXPECT_FALSE(Chart().IsDragging());
}

TEST_F(ChartInteraction, VerticalDragMovesTheValueRangeWithThePointer) {
    Chart().EnableInteraction(FALSE, TRUE, FALSE, FALSE);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 100);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 200, 110);
    double lo, hi;
    Range0(&lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 0.0);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 200, 120);  // 20 pixels of 200: a tenth of 800
    Range0(&lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 80.0);
    EXPECT_DOUBLE_EQ(hi, 880.0);
    EXPECT_DOUBLE_EQ(Chart().GetLeftAxis().m_fMin, 80.0);
    EXPECT_DOUBLE_EQ(Chart().GetRightAxis().m_fMax, 880.0);
    Send(WM_LBUTTONUP, 0, 200, 120);
}

TEST_F(ChartInteraction, CtrlWheelZoomsTimeWithinItsLimits) {
    Chart().EnableInteraction(FALSE, FALSE, TRUE, FALSE);
    Wheel(-120, true, 250, 100);
    EXPECT_NEAR(Chart().GetZoom(), 0.8, 1e-12);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetWindowsHeld(), 3);
    EXPECT_EQ(Chart().GetChannel(255).buffer.GetWindowsHeld(), 3);
    for (int i = 0; i < 3; ++i) Wheel(-120, true, 250, 100);
    EXPECT_NEAR(Chart().GetZoom(), 0.4096, 1e-9);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetWindowsHeld(), 4);
    for (int i = 0; i < 5; ++i) Wheel(-120, true, 250, 100);
    const double nine = Chart().GetZoom();
    EXPECT_NEAR(nine, 0.134, 0.001);
    const int offset = Chart().GetScrollOffset();
    EXPECT_GE(offset, 0);
    EXPECT_LT(offset, 300);
    Settle();
    Wheel(-120, true, 250, 100);  // about 0.107: refused
    EXPECT_DOUBLE_EQ(Chart().GetZoom(), nine);
    EXPECT_EQ(Chart().GetScrollOffset(), offset);
    EXPECT_FALSE(Chart().IsBackgroundDirty());
    // Zoom-out grows the visible sample count on the axes.
    EXPECT_NEAR(Chart().GetTopAxis().m_fMax - Chart().GetTopAxis().m_fMin, -15.0 / nine, 1e-6);
}

TEST_F(ChartInteraction, WheelWithoutCtrlZoomsValuesAboutThePointer) {
    Chart().EnableInteraction(TRUE, FALSE, TRUE, FALSE);
    Wheel(120, false, 250, 100);  // value 400 under the pointer
    double lo, hi;
    Range0(&lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 80.0);
    EXPECT_DOUBLE_EQ(hi, 720.0);
    EXPECT_DOUBLE_EQ(Chart().GetZoom(), 1.0);
}

TEST_F(ChartInteraction, WheelOverAnAxisChangesNothing) {
    Chart().EnableInteraction(TRUE, TRUE, TRUE, TRUE);
    Settle();
    Wheel(120, false, 20, 100);
    Wheel(-120, true, 480, 100);
    Wheel(-120, true, 250, 212);
    double lo, hi;
    Range0(&lo, &hi);
    EXPECT_DOUBLE_EQ(hi, 800.0);
    EXPECT_DOUBLE_EQ(Chart().GetZoom(), 1.0);
    EXPECT_FALSE(Chart().IsBackgroundDirty());
}

TEST_F(ChartInteraction, DoubleClickRestoresTheHomeRanges) {
    Chart().EnableInteraction(TRUE, TRUE, TRUE, TRUE);
    Wheel(-120, true, 250, 100);
    Wheel(-120, true, 250, 100);
    Wheel(120, false, 250, 50);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 100);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 230, 130);
    Send(WM_LBUTTONUP, 0, 230, 130);
    ASSERT_NE(Chart().GetZoom(), 1.0);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, 230, 130);
    EXPECT_DOUBLE_EQ(Chart().GetZoom(), 1.0);
    EXPECT_EQ(Chart().GetScrollOffset(), 0);
    double lo, hi;
    Range0(&lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 0.0);
    EXPECT_DOUBLE_EQ(hi, 800.0);
    EXPECT_DOUBLE_EQ(Chart().GetLeftAxis().m_fMax, 800.0);
    EXPECT_DOUBLE_EQ(Chart().GetTopAxis().m_fMin, 15.0);
    EXPECT_DOUBLE_EQ(Chart().GetBottomAxis().m_fMax, 0.0);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetWindowsHeld(), 2);
    EXPECT_EQ(Chart().GetChannel(0).buffer.GetScrollOffset(), 0);
    EXPECT_TRUE(Chart().IsBackgroundDirty());
}

TEST_F(ChartInteraction, HoverNamesTheSampleUnderThePointer) {
    ASSERT_NO_FATAL_FAILURE(HoverOverRamp());
    Send(WM_MOUSEMOVE, 0, 50, 30);  // first plot column: the window's first sample
    EXPECT_TRUE(Chart().IsTipShown());
    EXPECT_EQ(Chart().GetHoverText(), L"#0: 0 cm");
    Send(WM_MOUSEMOVE, 0, 449, 190);  // empty space far from the curve still names the nearest sample
    EXPECT_EQ(Chart().GetHoverText(), L"#299: 598 cm");
    Send(WM_MOUSEMOVE, 0, 20, 30);  // over the left axis: the tip goes away
    EXPECT_FALSE(Chart().IsTipShown());
}

// Runs this thread's messages (the tooltip's timers among them) until
// condition holds or a generous time passes.
template <class Condition>
bool PumpUntil(Condition condition) {
    const ULONGLONG deadline = ::GetTickCount64() + 60000;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t text[256] = {};
    ::GetWindowTextW(hwnd, text, 256);
    return text;
}

TEST_F(ChartInteraction, HoverTipShowsInTheAreaTheChartGainedByGrowing) {
    ASSERT_NO_FATAL_FAILURE(HoverOverRamp());

    // Twice as wide and high, as the main window's resize makes it.
    ::SetWindowPos(m_host->frame, nullptr, 0, 0, 2 * kChartWidth + 60, 2 * kChartHeight + 80,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::MoveWindow(Chart().GetSafeHwnd(), 10, 10, 2 * kChartWidth, 2 * kChartHeight, TRUE);
    PumpMessages();
    ASSERT_EQ(Chart().GetClientWidth(), 2 * kChartWidth);
    const RECT plot = Chart().GetPlotRect();
    ASSERT_EQ(plot.right, 950);  // the last plot column lies far beyond the first size
    ASSERT_EQ(plot.bottom, 424);

    // The pointer goes there (the tooltip checks where it really is) and the
    // chart sees it move.
    POINT screen{949, 400};
    ::ClientToScreen(Chart().GetSafeHwnd(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    Send(WM_MOUSEMOVE, 0, 949, 400);
    EXPECT_EQ(Chart().GetHoverText(), L"#299: 598 cm");

    HWND tip = Chart().GetToolTip().GetSafeHwnd();
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(tip) != FALSE; })) << "the tip never showed";
    EXPECT_EQ(WindowText(tip), L"#299: 598 cm");
}

TEST_F(ChartInteraction, HoverTextHookReplacesTheFormat) {
    struct Hook : IWaveHoverText {
        std::wstring GetHoverText(int channel, int position, int offset, int n, double value, void*) override {
            return L"ch" + std::to_wstring(channel) + L"@" + std::to_wstring(position) + L"/" + std::to_wstring(n);
        }
    } hook;
    Chart().m_pHoverTextHook = &hook;
    Chart().m_bHoverTip = TRUE;
    AppendConstant(100);
    Send(WM_MOUSEMOVE, 0, 50, 30);
    EXPECT_EQ(Chart().GetHoverText(), L"ch0@0/300");
    Chart().m_pHoverTextHook = nullptr;
}

}  // namespace
}  // namespace wavetest
