#include "WaveChartStyle.h"

#include <string>
#include <vector>

namespace {

constexpr COLORREF kCurveColor = 0x0000FF;
constexpr COLORREF kAxisTextColor = 0xE8A200;
constexpr wchar_t kAxisFont[] = L"宋体";
constexpr int kSpanSeconds = kRecentValuesSpanMs / 1000;
constexpr int kLabelStepSeconds = 5;

}  // namespace

void StyleRecentValuesChart(CWaveWnd& chart, Gdiplus::Bitmap* picture, double maxValue) {
    chart.SetChannelCount(1);
    chart.SetSmoothCurve(FALSE);
    chart.SetBackColor(0xFFFFFF);
    chart.SetPlotBackground(TRUE, 1, 0xFFFFFFFF);
    chart.SetPlotPicture(picture);
    chart.SetLineWidth(4);
    chart.ShowGrid(FALSE);
    chart.SetGridStyle(1, 0xFF007F40, 0xFFFF0000);
    chart.SetChannelColor(0, kCurveColor);
    chart.SetSampleType(1);
    chart.SetValueRange(0.0, maxValue);
    chart.SetWholeWindowsOnly(FALSE);
    chart.ShowCounter(FALSE);

    // "T0-15", "T0-10", "T0-5", "T0" under the four columns.
    std::vector<WaveAxisLabel> texts;
    int key = 0;
    for (int seconds = kSpanSeconds; seconds > 0; seconds -= kLabelStepSeconds)
        texts.push_back({key++, L"T0-" + std::to_wstring(seconds)});
    texts.push_back({key, L"T0"});
    CPtrArrayCtrl labels;
    for (WaveAxisLabel& label : texts) labels.AddData(&label, -1);
    chart.SetHorzTickCount(static_cast<int>(texts.size()));
    chart.SetHorzAxesLabels(&labels);  // the chart keeps copies

    chart.SetVertTickCount(5);
    chart.SetVertAxesRange(0.0, maxValue);
    chart.EnableInteraction(FALSE, FALSE, FALSE, FALSE);
}

void LayOutRecentValuesChart(CWaveWnd& chart, double scale, int windowLength) {
    chart.SetWindowLength(windowLength);
    chart.ShowLeftAxis(TRUE, static_cast<int>(scale * 50));
    chart.ShowRightAxis(TRUE, static_cast<int>(scale * 50));
    chart.ShowBottomAxis(TRUE, static_cast<int>(scale * 24));
    const int fontTenths = static_cast<int>(scale * 10) * 10;
    chart.SetHorzAxesText(fontTenths, kAxisFont, kAxisTextColor, static_cast<int>(scale * 5), 0);
    chart.SetVertAxesText(fontTenths, kAxisFont, kAxisTextColor, static_cast<int>(scale * 2), 0);
    chart.SetXRange(kSpanSeconds, 0.0);
    chart.InitWindow();
}
