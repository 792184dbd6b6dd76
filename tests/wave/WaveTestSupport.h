// A test window hosting the chart on a static placeholder control, configured
// the way the main window configures it, and helpers to read its pixels.
#pragma once
#include <gtest/gtest.h>

#include "WaveWnd.h"

namespace wavetest {

constexpr int kChartId = 1500;
// 50-pixel side axes and a 24-pixel bottom axis around a 400 x 200 plot.
constexpr int kChartWidth = 500;
constexpr int kChartHeight = 224;
constexpr DWORD kRed = 0xFF0000;  // COLORREF 0x0000FF as a pixel

// A picture of the chart's background: left half green, right half blue.
Gdiplus::Bitmap* MakeHalvesPicture(int width = 1156, int height = 500);

// The main window's chart set-up (history of n samples, distances 0 to 800).
void ConfigureLikeMainWindow(CWaveWnd& chart, Gdiplus::Bitmap* picture, int historyCount, double scale = 1.0);

// Composes a frame into the front bitmap as a paint does, without the screen.
void ComposeFrame(CWaveWnd& chart);

// Dispatches every queued message of this thread.
void PumpMessages();

inline DWORD Pixel(const DWORD* pixels, const CWaveWnd& chart, int x, int y) {
    return pixels[static_cast<size_t>(y) * chart.GetClientWidth() + x] & 0xFFFFFF;
}
inline DWORD Front(const CWaveWnd& chart, int x, int y) { return Pixel(chart.GetFrontPixels(), chart, x, y); }
inline DWORD Back(const CWaveWnd& chart, int x, int y) { return Pixel(chart.GetBackPixels(), chart, x, y); }

// Rows of column x (client coordinates) in [top, bottom) whose front pixel is colour.
std::vector<int> RowsOfColour(const CWaveWnd& chart, int x, DWORD colour);

// A top-level test window with one static control that the chart subclasses.
class ChartHost {
public:
    explicit ChartHost(int width = kChartWidth, int height = kChartHeight);
    ~ChartHost();
    CWaveWnd chart;
    CWnd frame;
    HWND placeholder = nullptr;
};

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Appends n copies of value to channel 0 as 32-bit samples.
    void AppendConstant(int value, int n = 300);
    LPARAM ScreenPoint(int x, int y) const;
    std::unique_ptr<ChartHost> m_host;
    Gdiplus::Bitmap* m_picture = nullptr;
    CWaveWnd& Chart() { return m_host->chart; }
};

}  // namespace wavetest
