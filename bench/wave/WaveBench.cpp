// Chart benchmark: frame composition for a 1156 x 500 plot with a short and a
// long window, and the cost of appending a 300-sample history. Prints figures
// and ratios; never passes or fails on time.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "WaveChartStyle.h"
#include "WaveWnd.h"
#include "WinTestSupport.h"

using testsupport::SecondsNow;

namespace {

// The main window's configuration, without the picture's captions: a plain
// picture of the plot's size stands in for it.
void Configure(CWaveWnd& chart, Gdiplus::Bitmap* picture, int n) {
    StyleRecentValuesChart(chart, picture, 800.0);
    LayOutRecentValuesChart(chart, 1.0, n);
}

// Mean milliseconds of one DrawFrame (background already built).
double FrameMs(CWaveWnd& chart, int n, int frames) {
    std::vector<int32_t> history(n);
    for (int i = 0; i < n; ++i) history[i] = (i * 37) % 800;
    chart.AppendData(0, history.data(), n);
    UniqueCreatedDC memory = CompatibleDC(nullptr);
    SelectionGuard select(memory.Get(), chart.GetFrontBitmap());
    CDC dc(memory.Get());
    chart.DrawFrame(&dc);  // builds the background once
    ::GdiFlush();
    double start = SecondsNow();
    for (int f = 0; f < frames; ++f) {
        history[f % n] = (f * 13) % 800;
        chart.AppendData(0, history.data(), n);  // live data, as the acquisition thread feeds it
        chart.DrawFrame(&dc);
    }
    ::GdiFlush();
    return (SecondsNow() - start) * 1000.0 / frames;
}

}  // namespace

int main() {
    GdiplusStartupRecord* gdiplus = Gdiplus_Init();
    const int plotW = 1156, plotH = 500, clientW = plotW + 100, clientH = plotH + 24;
    CWnd frame;
    RECT rect{0, 0, clientW + 40, clientH + 60};
    frame.CreateEx(0, nullptr, L"chart bench", WS_OVERLAPPEDWINDOW, rect, nullptr, 0);
    HWND placeholder = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, clientW, clientH, frame,
                                         reinterpret_cast<HMENU>(1500), ::GetModuleHandleW(nullptr), nullptr);
    auto chart = std::make_unique<CWaveWnd>();
    chart->SubclassWindow(placeholder);
    Gdiplus::Bitmap* picture = Gdiplus_CreateColorBmp(plotW, plotH, 0xFFF0F4FF);

    const int frames = 200;
    Configure(*chart, picture, 300);
    RECT plot = chart->GetPlotRect();
    std::printf("plot %ld x %ld\n", plot.right - plot.left, plot.bottom - plot.top);
    double shortMs = FrameMs(*chart, 300, frames);
    Configure(*chart, picture, 100000);
    double longMs = FrameMs(*chart, 100000, frames);
    std::printf("DrawFrame, 300-sample window:     %8.3f ms\n", shortMs);
    std::printf("DrawFrame, 100000-sample window:  %8.3f ms\n", longMs);
    std::printf("ratio long / short:               %8.3f  (target <= 1.2)\n", longMs / shortMs);
    std::printf("frame / 50 ms report period:      %8.3f %% (target <= 2%%)\n", longMs / 50.0 * 100.0);

    // Where the frame time goes: without the curve (background copy and the
    // point pass only), and with a 1-pixel pen instead of the 4-pixel one.
    chart->GetChannel(0).bEnabled = FALSE;
    double emptyMs = FrameMs(*chart, 100000, frames);
    chart->GetChannel(0).bEnabled = TRUE;
    chart->SetLineWidth(1);
    double thinMs = FrameMs(*chart, 100000, frames);
    std::printf("  of which without any curve:     %8.3f ms\n", emptyMs);
    std::printf("  with a 1-pixel pen:             %8.3f ms\n", thinMs);

    Configure(*chart, picture, 300);
    std::vector<int32_t> history(300, 123);
    const int calls = 20000;
    double start = SecondsNow();
    for (int i = 0; i < calls; ++i) {
        history[i % 300] = i % 800;
        chart->AppendData(0, history.data(), 300);
    }
    double perCall = (SecondsNow() - start) * 1e6 / calls;
    std::printf("AppendData, 300-sample history:   %8.3f us per call, %8.4f us per sample\n", perCall, perCall / 300.0);
    // The same appends straight into the channel buffer: the rest is the
    // repaint request (GetUpdateRect, InvalidateRect).
    start = SecondsNow();
    for (int i = 0; i < calls; ++i) chart->GetChannel(0).buffer.AppendSamples(history.data(), 300);
    double bufferOnly = (SecondsNow() - start) * 1e6 / calls;
    std::printf("  of which the buffer itself:     %8.3f us per call\n", bufferOnly);

    chart.reset();
    frame.DestroyWindow();
    Gdiplus_DeleteBitmap(picture);
    Gdiplus_DeInit(gdiplus);
    return 0;
}
