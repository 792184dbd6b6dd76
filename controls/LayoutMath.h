// Arithmetic of the colour label's line layout and of the resize tool, kept
// free of Windows headers so the host build can test it with sanitizers.
#pragma once

#include <cstdint>
#include <vector>

namespace ctlmath {

// Line alignment codes, the same numbers as GDI+'s StringAlignment.
enum LineAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };

// Gap between lines: the fixed gap when lineGap is not 0, otherwise the free
// height shared evenly above, between and below the n lines.
float LineGap(int lineGap, float height, float sumOfLineHeights, int lineCount);

// Top of the first line in the box [top, bottom]. Unknown alignments count as near.
float FirstLineTop(int align, float top, float bottom, float sumOfLineHeights, int lineCount, float gap);

// Tops of all lines, one per height, each line followed by the gap (empty
// lines too). gapOut, when given, receives the gap used.
std::vector<float> LineTops(int lineGap, int align, float top, float bottom, const std::vector<float>& heights,
                            float* gapOut = nullptr);

// Opaque ARGB (0xFFRRGGBB) from a COLORREF (0x00BBGGRR).
uint32_t ArgbFromColorRef(uint32_t colorRef);

// MulDiv as Windows does it: a * b / c rounded half away from zero, -1 when
// c is 0 or the result does not fit an int.
int MulDivRounded(int a, int b, int c);

// Logical font height for a size in points at dpi pixels per inch: the
// negative character height. Never 0, which would mean "default size" to
// the font mapper rather than a small font.
int FontHeightForPoints(int points, int dpi);

// Ratios of a resize. usable is false when either size is empty: nothing can
// be scaled from or to an empty area, and the ratios are then 1.0.
struct ResizeRatios {
    double sx = 1.0;
    double sy = 1.0;
    double m = 1.0;  // the smaller of sx and sy: fonts scale by it
    bool usable = false;
};
ResizeRatios ComputeResizeRatios(int newWidth, int newHeight, int origWidth, int origHeight, bool uniform);

struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
inline bool operator==(const IntRect& a, const IntRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// value * ratio cut toward zero, held within the int range.
int ScaleCoordinate(int value, double ratio);
// Each corner scaled on its own axis.
IntRect ScaleRect(const IntRect& rect, double sx, double sy);
// A font height or width scaled by m, cut toward zero. A non-zero value never
// becomes 0 (0 would ask for the default size); it keeps its sign.
int ScaleFontDimension(int value, double m);

}  // namespace ctlmath
