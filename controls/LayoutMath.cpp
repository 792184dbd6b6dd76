#include "LayoutMath.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace ctlmath {

float LineGap(int lineGap, float height, float sumOfLineHeights, int lineCount) {
    if (lineGap != 0) return static_cast<float>(lineGap);
    return (height - sumOfLineHeights) / static_cast<float>(lineCount + 1);
}

float FirstLineTop(int align, float top, float bottom, float sumOfLineHeights, int lineCount, float gap) {
    const float height = bottom - top;
    const float n = static_cast<float>(lineCount);
    switch (align) {
    case kAlignCenter: return top + gap + (height - sumOfLineHeights - (n + 1.0f) * gap) / 2.0f;
    case kAlignFar: return bottom - sumOfLineHeights - n * gap;
    default: return top + gap;
    }
}

std::vector<float> LineTops(int lineGap, int align, float top, float bottom, const std::vector<float>& heights,
                            float* gapOut) {
    std::vector<float> tops;
    const int n = static_cast<int>(heights.size());
    float sum = 0.0f;
    for (float h : heights) sum += h;
    const float gap = n > 0 ? LineGap(lineGap, bottom - top, sum, n) : 0.0f;
    if (gapOut) *gapOut = gap;
    if (n == 0) return tops;
    tops.reserve(heights.size());
    float y = FirstLineTop(align, top, bottom, sum, n, gap);
    for (float h : heights) {
        tops.push_back(y);
        y += h + gap;
    }
    return tops;
}

uint32_t ArgbFromColorRef(uint32_t colorRef) {
    const uint32_t r = colorRef & 0xFFu;
    const uint32_t g = (colorRef >> 8) & 0xFFu;
    const uint32_t b = (colorRef >> 16) & 0xFFu;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

int MulDivRounded(int a, int b, int c) {
    if (c == 0) return -1;
    const long long product = static_cast<long long>(a) * b;
    long long q = product / c;
    const long long r = product % c;
    // Round half away from zero: compare twice the remainder with the divisor.
    if (2 * std::llabs(r) >= std::llabs(static_cast<long long>(c))) q += ((product < 0) != (c < 0)) ? -1 : 1;
    if (q > INT_MAX || q < INT_MIN) return -1;
    return static_cast<int>(q);
}

int FontHeightForPoints(int points, int dpi) {
    if (dpi <= 0) dpi = 96;  // no usable device answer: the usual screen
    const int height = -MulDivRounded(points, dpi, 72);
    return height == 0 ? -1 : height;
}

ResizeRatios ComputeResizeRatios(int newWidth, int newHeight, int origWidth, int origHeight, bool uniform) {
    ResizeRatios r;
    if (newWidth <= 0 || newHeight <= 0 || origWidth <= 0 || origHeight <= 0) return r;
    r.sx = static_cast<double>(newWidth) / origWidth;
    r.sy = static_cast<double>(newHeight) / origHeight;
    r.m = r.sx < r.sy ? r.sx : r.sy;
    if (uniform) r.sx = r.sy = r.m;
    r.usable = true;
    return r;
}

int ScaleCoordinate(int value, double ratio) {
    const double v = static_cast<double>(value) * ratio;
    if (!(v == v)) return 0;  // NaN
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);  // cut toward zero
}

IntRect ScaleRect(const IntRect& rect, double sx, double sy) {
    IntRect out;
    out.left = ScaleCoordinate(rect.left, sx);
    out.top = ScaleCoordinate(rect.top, sy);
    out.right = ScaleCoordinate(rect.right, sx);
    out.bottom = ScaleCoordinate(rect.bottom, sy);
    return out;
}

int ScaleFontDimension(int value, double m) {
    if (value == 0) return 0;
    const int scaled = ScaleCoordinate(value, m);
    if (scaled == 0) return value < 0 ? -1 : 1;
    return scaled;
}

}  // namespace ctlmath
