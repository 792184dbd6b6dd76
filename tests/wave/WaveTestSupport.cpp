#include "WaveTestSupport.h"

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
    chart.SetChannelCount(1);
    chart.SetSmoothCurve(FALSE);
    chart.SetBackColor(0xFFFFFF);
    chart.SetPlotBackground(TRUE, 1, 0xFFFFFFFF);
    chart.SetPlotPicture(picture);
    chart.SetLineWidth(4);
    chart.ShowGrid(FALSE);
    chart.SetGridStyle(1, 0xFF007F40, 0xFFFF0000);
    chart.SetChannelColor(0, 0x0000FF);
    chart.SetSampleType(1);
    chart.SetValueRange(0.0, 800.0);
    chart.SetWindowLength(historyCount);
    chart.SetWholeWindowsOnly(FALSE);
    chart.ShowCounter(FALSE);
    chart.ShowLeftAxis(TRUE, static_cast<int>(scale * 50));
    chart.ShowRightAxis(TRUE, static_cast<int>(scale * 50));
    chart.ShowBottomAxis(TRUE, static_cast<int>(scale * 24));
    const int tenths = static_cast<int>(scale * 10) * 10;
    chart.SetHorzAxesText(tenths, L"宋体", 0xE8A200, static_cast<int>(scale * 5), 0);
    chart.SetVertAxesText(tenths, L"宋体", 0xE8A200, static_cast<int>(scale * 2), 0);
    chart.SetXRange(15.0, 0.0);
    CPtrArrayCtrl labels;
    const wchar_t* texts[] = {L"T0-15", L"T0-10", L"T0-5", L"T0"};
    for (int i = 0; i < 4; ++i) labels.AddData(new WaveAxisLabel{i, texts[i]}, -1);
    chart.SetHorzTickCount(4);
    chart.SetHorzAxesLabels(&labels);
    for (int i = 0; i < labels.GetCount(); ++i) delete static_cast<WaveAxisLabel*>(labels.GetAt(i));
    labels.RemoveAll();
    chart.SetVertTickCount(5);
    chart.SetVertAxesRange(0.0, 800.0);
    chart.EnableInteraction(FALSE, FALSE, FALSE, FALSE);
    chart.InitWindow();
}

void ComposeFrame(CWaveWnd& chart) {
    ScopedCreatedDC memory = ScopedCreatedDC::CompatibleWith(nullptr);
    SelectObjectGuard select(memory, chart.GetFrontBitmap());
    CDC dc(memory);
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
