#include "WaveLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Truncation toward zero that cannot overflow an int.
int TruncToInt(double v) {
    if (!(v == v)) return 0;  // NaN
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

}  // namespace

WaveLayoutRects WaveCalcLayout(int clientW, int clientH, int leftW, int rightW, int topH, int bottomH) {
    int W = std::max(clientW, 0), H = std::max(clientH, 0);
    int l = Clamp(leftW, 0, W);
    int r = Clamp(rightW, 0, W - l);
    int t = Clamp(topH, 0, H);
    int b = Clamp(bottomH, 0, H - t);
    WaveLayoutRects rc;
    rc.leftAxis = {0, t, l, H - b};
    rc.rightAxis = {W - r, t, W, H - b};
    rc.topAxis = {l, 0, W - r, t};
    rc.bottomAxis = {l, H - b, W - r, H};
    rc.plot = {l, t, W - r, H - b};
    return rc;
}

WaveGridSpacing WaveCalcGridSpacing(int plotW, int plotH, int rows) {
    WaveGridSpacing g;
    double h = std::max(plotH, 0);
    double w = std::max(plotW, 0);
    double spacing = h / std::max(rows, 1);
    g.rowSpacing = std::min(std::max(spacing, 8.0), 40.0);
    int cols = TruncToInt(w / g.rowSpacing) & ~1;
    g.colCount = cols;
    if (cols > 0) g.colSpacing = w / cols;
    return g;
}

WaveGridLines WaveCalcGridLines(const WaveBox& plot, double colSpacing, double rowSpacing, bool withColumns) {
    WaveGridLines lines;
    int w = std::max(plot.Width(), 0);
    int h = std::max(plot.Height(), 0);
    // A spacing below one pixel would give more lines than the plot has rows
    // or columns: such a grid is drawn as no regular lines at all.
    if (rowSpacing >= 1.0 && std::isfinite(rowSpacing)) {
        int nr = TruncToInt(h / rowSpacing);
        int yo = (h - TruncToInt(nr * rowSpacing)) / 2;
        lines.rows.reserve(nr + 1);
        for (int i = 0; i <= nr; ++i) lines.rows.push_back(plot.top + TruncToInt(i * rowSpacing + yo));
    }
    lines.centerRow = plot.top + h / 2;
    if (withColumns && colSpacing >= 1.0 && std::isfinite(colSpacing)) {
        int nc = TruncToInt(w / colSpacing);
        int xo = (w - TruncToInt(nc * colSpacing)) / 2;
        lines.cols.reserve(nc + 1);
        for (int i = 0; i <= nc; ++i) lines.cols.push_back(plot.left + TruncToInt(i * colSpacing + xo));
    }
    lines.centerCol = plot.left + w / 2;
    return lines;
}

void WaveClipPoints(std::vector<uint64_t>& points, const WaveBox& plot) {
    points.erase(std::remove_if(points.begin(), points.end(),
                                [&](uint64_t p) { return !plot.Contains(WavePackedX(p), WavePackedY(p)); }),
                 points.end());
}

int WaveThinningGap(int plotW, int budget) {
    if (budget <= 0 || plotW <= 0) return 0;
    return plotW / budget;
}

void WaveThinPoints(std::vector<uint64_t>& points, int gap) {
    if (gap < 1 || points.size() < 3) return;
    size_t last = points.size() - 1;
    size_t out = 1;
    int64_t rememberedX = WavePackedX(points[0]);
    for (size_t i = 1; i < last; ++i) {
        int x = WavePackedX(points[i]);
        if (x < rememberedX + gap) continue;
        rememberedX = x;
        points[out++] = points[i];
    }
    points[out++] = points[last];
    points.resize(out);
}

int64_t WaveWrap(int64_t value, int64_t n) {
    if (n < 1) return 0;
    int64_t r = value % n;
    return r < 0 ? r + n : r;
}

WaveHorzPan WaveCalcHorzPan(int windowLength, double zoom, int clientW, int scrollOffset, int dx) {
    WaveHorzPan pan;
    pan.scrollOffset = scrollOffset;
    if (windowLength < 1 || clientW <= 0 || !(zoom > 0.0)) return pan;
    double visible = windowLength / zoom;
    int shift = TruncToInt(dx * visible / clientW);
    int limit = TruncToInt(visible);
    if (shift == 0 || shift >= limit || shift <= -limit) return pan;
    pan.moved = true;
    pan.shift = shift;
    pan.scrollOffset = static_cast<int>(WaveWrap(static_cast<int64_t>(scrollOffset) + shift, windowLength));
    return pan;
}

bool WaveCalcVertPan(double minValue, double maxValue, int plotH, int dy, double* newMin, double* newMax) {
    if (plotH <= 0) return false;
    double shift = (maxValue - minValue) / plotH * dy;
    *newMin = minValue + shift;
    *newMax = maxValue + shift;
    return true;
}

bool WaveCalcValueZoom(double minValue, double maxValue, int plotH, int my, int delta, double* newMin, double* newMax) {
    if (plotH <= 0) return false;
    double v = maxValue - (maxValue - minValue) * my / plotH;
    double up = maxValue - v, down = v - minValue;
    if (delta > 0) {
        up /= kWaveZoomIn;
        down /= kWaveZoomIn;
    } else {
        up *= kWaveZoomIn;
        down *= kWaveZoomIn;
    }
    *newMin = v - down;
    *newMax = v + up;
    return true;
}

int WaveHistoryWindowsForZoom(double zoom) {
    if (!(zoom > 0.0)) return 1;
    double k = std::ceil(1.0 / zoom);
    if (k < 1.0) return 1;
    if (k > 1024.0) return 1024;
    return static_cast<int>(k);
}

WaveTimeZoom WaveCalcTimeZoom(int windowLength, int plotW, double zoom, int scrollOffset, int mx, int delta,
                              double xStart, double xEnd) {
    WaveTimeZoom r;
    r.zoom = zoom;
    r.scrollOffset = scrollOffset;
    // A plot narrower than two columns has no samples-per-pixel ratio.
    if (windowLength < 1 || plotW < 2 || !(zoom > 0.0)) return r;
    const double N = windowLength;
    double s = (N - 1.0) / (plotW - 1) / zoom;
    int64_t under = std::llround(N - scrollOffset + mx * s);
    int64_t anchor = WaveWrap(under + windowLength, windowLength);
    double factor = delta > 0 ? kWaveZoomIn : kWaveZoomOut;
    double z = factor * zoom;
    if (z < kWaveMinZoom || z > N * 0.5) return r;
    r.accepted = true;
    r.zoom = z;
    r.historyWindows = WaveHistoryWindowsForZoom(z);
    double gd = (s / factor) * mx + (N - static_cast<double>(anchor));
    int64_t g = static_cast<int64_t>(gd);  // |gd| is bounded by a few N
    r.axisMin = xStart - static_cast<double>(g) + N;
    r.axisMax = r.axisMin + (xEnd - xStart) / z;
    r.scrollOffset = static_cast<int>(WaveWrap(g, windowLength));
    return r;
}

int WaveHoverPosition(int windowLength, int scrollOffset, int pos) {
    if (windowLength < 1) return 0;
    int64_t base = WaveWrap(static_cast<int64_t>(windowLength) - scrollOffset, windowLength);
    return static_cast<int>(WaveWrap(base + pos, windowLength));
}

bool WaveCalcMarkerBand(int position, int plotW, int windowLength, int markerWidth, WaveMarkerBand* band) {
    if (plotW <= 0 || windowLength < 1) return false;
    double at = static_cast<double>(position) * plotW / windowLength;
    int width = std::max(markerWidth, 0);
    int half = width / 2;
    band->column = TruncToInt(at);
    band->x0 = Clamp(TruncToInt(at - half), 0, plotW - 1);
    band->x1 =
        Clamp(static_cast<int>(std::min<int64_t>(static_cast<int64_t>(band->x0) + width, plotW - 1)), 0, plotW - 1);
    return true;
}

bool WaveHoverFormatIsSafe(const wchar_t* format) {
    if (!format) return true;
    int conversions = 0;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') continue;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0') ++p;
        while (*p >= L'0' && *p <= L'9') ++p;
        if (*p == L'.') {
            ++p;
            while (*p >= L'0' && *p <= L'9') ++p;
        }
        wchar_t c = *p;
        if (c == 0) return false;
        bool isInt = c == L'd' || c == L'i' || c == L'u' || c == L'x' || c == L'X' || c == L'o';
        bool isDouble =
            c == L'f' || c == L'F' || c == L'e' || c == L'E' || c == L'g' || c == L'G' || c == L'a' || c == L'A';
        if (conversions == 0 && isInt) {
            conversions = 1;
        } else if (conversions == 1 && isDouble) {
            conversions = 2;
        } else {
            return false;
        }
    }
    return true;
}
