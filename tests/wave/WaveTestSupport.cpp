#include "WaveTestSupport.h"

#include "WaveChartStyle.h"

#include <memory>

#include "HelperGdiplusEnvironment.h"

namespace wavetest {
namespace {

::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new testsupport::HelperGdiplusEnvironment);

}  // namespace

Gdiplus::Bitmap* MakeHalvesPicture(int width, int height) {
    auto* picture = new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB);
    Gdiplus::Graphics g(picture);
    Gdiplus::SolidBrush green(Gdiplus::Color(0xFF00C000));
    Gdiplus::SolidBrush blue(Gdiplus::Color(0xFF0000C0));
    g.FillRectangle(&green, 0, 0, width / 2, height);
    g.FillRectangle(&blue, width / 2, 0, width - width / 2, height);
    return picture;
}

void ConfigureLikeMainWindow(CWaveWnd& chart, Gdiplus::Bitmap* picture, int historyCount, double scale) {
    StyleRecentValuesChart(chart, picture, 800.0);
    LayOutRecentValuesChart(chart, scale, historyCount);
}

void ComposeFrame(CWaveWnd& chart) {
    UniqueCreatedDC memory = CompatibleDC(nullptr);
    SelectionGuard select(memory.Get(), chart.GetFrontBitmap());
    CDC dc(memory.Get());
    chart.DrawFrame(&dc);
    ::GdiFlush();
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

std::vector<int> RowsOfColour(const CWaveWnd& chart, int x, DWORD colour) {
    std::vector<int> rows;
    const RECT plot = chart.GetPlotRect();
    for (int y = plot.top; y < plot.bottom; ++y)
        if (Front(chart, x, y) == colour) rows.push_back(y);
    return rows;
}

ChartHost::ChartHost(int width, int height) {
    RECT rect{40, 40, 40 + width + 60, 40 + height + 80};
    if (!frame.CreateEx(0, nullptr, L"chart test", WS_OVERLAPPEDWINDOW, rect, nullptr, 0)) return;
    placeholder = ::CreateWindowExW(0, L"STATIC", L"波形图", WS_CHILD | WS_VISIBLE, 10, 10, width, height, frame,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kChartId)),
                                    ::GetModuleHandleW(nullptr), nullptr);
    if (placeholder) chart.SubclassWindow(placeholder);
    ::ShowWindow(frame, SW_SHOWNOACTIVATE);
    PumpMessages();
}

ChartHost::~ChartHost() {
    if (frame.IsWindow()) frame.DestroyWindow();
    PumpMessages();
}

void ChartTest::SetUp() {
    m_host = std::make_unique<ChartHost>();
    ASSERT_TRUE(m_host->chart.IsWindow());
    m_picture = MakeHalvesPicture();
    ConfigureLikeMainWindow(m_host->chart, m_picture, 300);
    ASSERT_NE(m_host->chart.GetFrontPixels(), nullptr);
}

void ChartTest::TearDown() {
    m_host.reset();
    delete m_picture;
    m_picture = nullptr;
}

void ChartTest::AppendConstant(int value, int n) {
    std::vector<int32_t> samples(n, value);
    Chart().AppendData(0, samples.data(), n);
}

LPARAM ChartTest::ScreenPoint(int x, int y) const {
    POINT p{x, y};
    ::ClientToScreen(m_host->chart, &p);
    return MAKELPARAM(p.x, p.y);
}

}  // namespace wavetest
