#include "ChartSetup.h"

namespace wavetest {

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

}  // namespace wavetest
