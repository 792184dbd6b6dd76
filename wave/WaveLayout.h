// Arithmetic of the waveform chart window, kept free of Windows headers so the
// host build can test it with sanitizers: layout of plot and axes, grid
// spacing and grid lines, point clipping and thinning, marker bands, and the
// steps of the mouse interactions (drag thresholds, pans, zooms).
//
// Every function here is total: degenerate input (empty plot, zero or negative
// counts, non-positive spacings) gives an empty or refused result, never a
// division by zero or an out-of-range index.
#pragma once
#include <cstdint>
#include <vector>

// Channels a chart holds; channel numbers are 0 to kWaveMaxChannels - 1.
constexpr int kWaveMaxChannels = 256;
// Upper bound of the window length N. Every one of the 256 channels holds
// M x N samples (M = 2 at rest, up to 9 zoomed out), so N is kept where the
// arrays of all channels still fit in memory (2 GB of doubles at M = 2 would
// otherwise follow from one mistyped length).
constexpr int kWaveMaxWindowLength = 1 << 18;
// Upper bound of the samples one AppendData call takes: count x 8 bytes must
// fit a 32-bit byte count.
constexpr int kWaveMaxAppendCount = 0x7FFFFFFF / 8;
// Drag thresholds in pixels: the first step of a drag, and the later ones.
constexpr int kWaveFirstDragThreshold = 10;
constexpr int kWaveDragThreshold = 1;
// Time zoom limits and steps.
constexpr double kWaveMinZoom = 0.125;
constexpr double kWaveZoomIn = 1.25;
constexpr double kWaveZoomOut = 0.8;

// A rectangle in client pixels; right and bottom are exclusive.
struct WaveBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct WaveLayoutRects {
    WaveBox leftAxis, rightAxis, topAxis, bottomAxis, plot;
};

// Plot and axis rectangles of a client area W x H with the given axis sizes
// (a hidden axis passes 0). Negative sizes count as 0; axes wider or higher
// than the client area are cut so the plot never turns inside out.
WaveLayoutRects WaveCalcLayout(int clientW, int clientH, int leftW, int rightW, int topH, int bottomH);

struct WaveGridSpacing {
    double rowSpacing = 8.0;
    double colSpacing = 8.0;  // only meaningful when colCount > 0
    int colCount = 0;         // 0: the plot gets no regular vertical lines
};

// Row spacing = plotH / rows clamped to [8, 40]; column count = plotW / row
// spacing rounded down to even; column spacing = plotW / column count. A row
// count below 1 counts as 1.
WaveGridSpacing WaveCalcGridSpacing(int plotW, int plotH, int rows);

struct WaveGridLines {
    std::vector<int> rows;  // y of the regular horizontal lines
    std::vector<int> cols;  // x of the regular vertical lines
    int centerRow = 0;
    int centerCol = 0;
};

// Grid line positions in a plot, centred by the leftover of whole cells.
// Non-positive spacing gives no regular lines in that direction; the centre
// lines are always given. withColumns false: no regular vertical lines.
WaveGridLines WaveCalcGridLines(const WaveBox& plot, double colSpacing, double rowSpacing, bool withColumns);

// Curve points as the sample buffers hand them out: x in the low 32 bits,
// y in the high 32 bits.
inline uint64_t WavePackPoint(int x, int y) {
    return static_cast<uint64_t>(static_cast<uint32_t>(x)) | (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32);
}
inline int WavePackedX(uint64_t p) { return static_cast<int32_t>(static_cast<uint32_t>(p & 0xFFFFFFFFu)); }
inline int WavePackedY(uint64_t p) { return static_cast<int32_t>(static_cast<uint32_t>(p >> 32)); }

// Removes every point outside the plot (x < left, x >= right, y < top, y >= bottom).
void WaveClipPoints(std::vector<uint64_t>& points, const WaveBox& plot);

// Gap between kept points: plotW / budget when budget > 0, else 0.
int WaveThinningGap(int plotW, int budget);

// Keeps the first point, then each point at least gap pixels right of the last
// kept one; the last point always stays. gap < 1 keeps everything.
void WaveThinPoints(std::vector<uint64_t>& points, int gap);

// Drag: does a movement of delta pixels make a step?
inline bool WaveDragExceeds(int delta, bool firstMove) {
    int threshold = firstMove ? kWaveFirstDragThreshold : kWaveDragThreshold;
    return delta > threshold || delta < -threshold;
}

// Positive remainder: value mod n in [0, n); n must be >= 1.
int64_t WaveWrap(int64_t value, int64_t n);

// Horizontal pan of dx pixels: shift = trunc(dx x (N / zoom) / clientW).
struct WaveHorzPan {
    bool moved = false;  // 0 < |shift| < int(visible)
    int shift = 0;
    int scrollOffset = 0;  // (offset + shift) mod N when moved
};
WaveHorzPan WaveCalcHorzPan(int windowLength, double zoom, int clientW, int scrollOffset, int dx);

// Vertical pan: the value range moves by (max - min) / plotH x dy. False when
// the plot has no height.
bool WaveCalcVertPan(double minValue, double maxValue, int plotH, int dy, double* newMin, double* newMax);

// Value zoom about the value under the pointer (my pixels below the plot top).
bool WaveCalcValueZoom(double minValue, double maxValue, int plotH, int my, int delta, double* newMin, double* newMax);

// Time zoom of one wheel notch at mx pixels right of the plot's left edge.
struct WaveTimeZoom {
    bool accepted = false;  // false: the zoom would leave [0.125, N / 2]; nothing changes
    double zoom = 1.0;
    int historyWindows = 1;  // k for SetHistoryWindows: ceil(1 / zoom)
    int scrollOffset = 0;
    double axisMin = 0.0, axisMax = 0.0;
};
WaveTimeZoom WaveCalcTimeZoom(int windowLength, int plotW, double zoom, int scrollOffset, int mx, int delta,
                              double xStart, double xEnd);

// History windows k a buffer needs at a zoom: ceil(1 / zoom), at least 1.
int WaveHistoryWindowsForZoom(double zoom);

// Position of a hovered sample within the window: ((N - offset) mod N + pos) mod N.
int WaveHoverPosition(int windowLength, int scrollOffset, int pos);

// Marker band at sample position m: the column to test and the band [x0, x1]
// relative to the plot's left edge. False when the plot is empty or N < 1.
struct WaveMarkerBand {
    int column = 0;
    int x0 = 0, x1 = 0;
};
bool WaveCalcMarkerBand(int position, int plotW, int windowLength, int markerWidth, WaveMarkerBand* band);

// A read-out format may convert an int and then a double, in that order, and
// nothing else ("%%" allowed; flags, width and precision digits allowed, no
// '*' and no length modifiers). Anything else would read arguments that are
// not passed.
bool WaveHoverFormatIsSafe(const wchar_t* format);
