// The look of a chart of one channel's recent values: a straight red curve
// 4 px wide over a background picture (white around the plot), no grid, no
// zoom or pan, 32-bit samples from 0 to a top value, value axes on both sides
// with five ticks, and a time axis below from 15 s ago ("T0-15") to now ("T0")
// in four columns. Axis text in "宋体", orange-blue 0xE8A200.
//
// Styled once; then laid out (and restarted) for a scale and a window length
// as often as the owner's size or report period changes.
#pragma once

#include "WaveWnd.h"

// The time the chart shows, newest at the right edge.
constexpr int kRecentValuesSpanMs = 15000;

// Everything that changes with neither size nor length. The chart keeps its
// own copy of picture (null: no picture).
void StyleRecentValuesChart(CWaveWnd& chart, Gdiplus::Bitmap* picture, double maxValue);

// Axis sizes and text for scale (1.0: as designed), windowLength samples
// across; zoom and scroll back to the start; the window's bitmaps rebuilt.
void LayOutRecentValuesChart(CWaveWnd& chart, double scale, int windowLength);
