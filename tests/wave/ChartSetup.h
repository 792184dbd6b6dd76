// The main window's chart set-up, shared by the chart tests and the chart
// benchmark (no test framework needed).
#pragma once

#include "WaveWnd.h"

namespace wavetest {

// The main window's chart set-up (history of n samples, distances 0 to 800).
void ConfigureLikeMainWindow(CWaveWnd& chart, Gdiplus::Bitmap* picture, int historyCount, double scale = 1.0);

}  // namespace wavetest
