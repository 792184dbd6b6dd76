// Drawing into 32-bit pixel buffers, rectangles and the curve colour table.
#include "Tavo_Common.h"

#include <algorithm>
#include <cstring>

// Five hue circles of ten colours each, every row a different saturation and
// brightness so neighbouring channels stay apart on light and dark plots.
extern "C" const COLORREF gCommonColorTable[TAVO_COLOR_TABLE_ROWS][10] = {
    {0x0000F2, 0x0091F2, 0x00F2C2, 0x00F230, 0x61F200, 0xF2F200, 0xF26100, 0xF20030, 0xF200C2, 0x9100F2},
    {0x3361CC, 0x33BDCC, 0x33CC80, 0x42CC33, 0x9ECC33, 0xCC9E33, 0xCC4233, 0xCC3380, 0xBD33CC, 0x6133CC},
    {0x1127A6, 0x1180A6, 0x11A672, 0x11A618, 0x63A611, 0xA68F11, 0xA63611, 0xA61145, 0xA6119E, 0x5411A6},
    {0x67A0E6, 0x67E6DF, 0x67E693, 0x87E667, 0xD3E667, 0xE6AD67, 0xE6676E, 0xE667B9, 0xC667E6, 0x7A67E6},
    {0x131B80, 0x135C80, 0x138062, 0x138021, 0x478013, 0x807713, 0x803613, 0x801331, 0x801372, 0x4C1380},
};

namespace {

using i128 = __int128;

// Line pixel k (0..n) lies at major + k*stepMajor and minor + sMinor*Offset(k),
// Offset(k) = round(k * dMinor / dMajor) with halves rounded up. Being a
// closed form, it lets the clipped part of a line start at any k without
// walking the invisible part.
struct LineShape {
    int64_t dMajor;  // >= dMinor >= 0
    int64_t dMinor;
    int64_t Offset(int64_t k) const {
        return static_cast<int64_t>((static_cast<i128>(2) * k * dMinor + dMajor) / (static_cast<i128>(2) * dMajor));
    }
};

// First k in [lo, hi] with Offset(k) >= target (hi + 1 when none).
int64_t FirstAtLeast(const LineShape& s, int64_t lo, int64_t hi, int64_t target) {
    while (lo <= hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (s.Offset(mid) >= target)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return lo;
}

// Last k in [lo, hi] with Offset(k) <= target (lo - 1 when none).
int64_t LastAtMost(const LineShape& s, int64_t lo, int64_t hi, int64_t target) {
    while (lo <= hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (s.Offset(mid) <= target)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return hi;
}

}  // namespace

extern "C" void DrawColorOnBuffer(COLORREF color, void* bits, const RECT* rect, int stride) {
    if (bits == nullptr || rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top ||
        rect->left < 0 || rect->top < 0)
        return;
    const uint32_t pixel = ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
    auto* base = static_cast<unsigned char*>(bits);
    for (LONG y = rect->top; y < rect->bottom; ++y) {
        unsigned char* row = base + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(rect->left) * 4;
        for (LONG x = rect->left; x < rect->right; ++x, row += 4) std::memcpy(row, &pixel, 4);
    }
}

extern "C" void DrawLineOnBuffer(void* bits, POINT from, POINT to, int w, int h, int stride, int bytesPerPixel,
                                 int patternLength, const DWORD* pattern, int flags) {
    if (bits == nullptr || pattern == nullptr || patternLength <= 0 || w <= 0 || h <= 0 || bytesPerPixel < 1 ||
        bytesPerPixel > 4)
        return;
    // Rows narrower than a row of pixels would overlap: refuse rather than guess.
    const int64_t rowBytes = static_cast<int64_t>(w) * bytesPerPixel;
    if ((stride < 0 ? -static_cast<int64_t>(stride) : stride) < rowBytes) return;

    const int64_t dx = static_cast<int64_t>(to.x) - from.x;
    const int64_t dy = static_cast<int64_t>(to.y) - from.y;
    const int64_t adx = dx < 0 ? -dx : dx;
    const int64_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int64_t major0 = xMajor ? from.x : from.y;
    const int64_t minor0 = xMajor ? from.y : from.x;
    const int64_t sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t majorSize = xMajor ? w : h;
    const int64_t minorSize = xMajor ? h : w;
    const LineShape shape{xMajor ? adx : ady, xMajor ? ady : adx};
    const int64_t n = shape.dMajor;

    // Range of k with the major coordinate inside the buffer.
    int64_t kLo, kHi;
    if (sMajor > 0) {
        kLo = -major0;
        kHi = majorSize - 1 - major0;
    } else {
        kLo = major0 - (majorSize - 1);
        kHi = major0;
    }
    kLo = std::max<int64_t>(kLo, 0);
    kHi = std::min<int64_t>(kHi, n);
    if (kLo > kHi) return;
    if (n > 0) {
        // Minor coordinate inside the buffer: Offset(k) within [offLo, offHi].
        const int64_t offLo = sMinor > 0 ? -minor0 : minor0 - (minorSize - 1);
        const int64_t offHi = sMinor > 0 ? minorSize - 1 - minor0 : minor0;
        kLo = FirstAtLeast(shape, kLo, kHi, offLo);
        kHi = LastAtMost(shape, kLo, kHi, offHi);
        if (kLo > kHi) return;
    } else if (minor0 < 0 || minor0 >= minorSize) {
        return;
    }

    auto* base = static_cast<unsigned char*>(bits);
    // Offset(k) stepped incrementally from kLo: quotient q and remainder r of
    // (2*k*dMinor + dMajor) / (2*dMajor).
    const int64_t twoMajor = 2 * shape.dMajor;
    int64_t q = 0, r = 0;
    if (n > 0) {
        const i128 num = static_cast<i128>(2) * kLo * shape.dMinor + shape.dMajor;
        q = static_cast<int64_t>(num / twoMajor);
        r = static_cast<int64_t>(num % twoMajor);
    }
    int patternIndex = static_cast<int>(kLo % patternLength);
    for (int64_t k = kLo; k <= kHi; ++k) {
        const int64_t major = major0 + sMajor * k;
        const int64_t minor = minor0 + sMinor * q;
        const int64_t x = xMajor ? major : minor;
        const int64_t y = xMajor ? minor : major;
        unsigned char* p = base + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * bytesPerPixel;
        const DWORD colour = pattern[patternIndex];
        std::memcpy(p, &colour, static_cast<size_t>(bytesPerPixel));  // little-endian: low bytes first
        if (++patternIndex == patternLength) patternIndex = 0;
        r += 2 * shape.dMinor;
        if (r >= twoMajor) {
            r -= twoMajor;
            ++q;
        }
    }
}

extern "C" void SetRectXY(RECT* rect, int left, int top, int right, int bottom) {
    if (rect == nullptr) return;
    rect->left = left;
    rect->top = top;
    rect->right = right;
    rect->bottom = bottom;
}

extern "C" int BoundRect(RECT* out, const RECT* rect, const RECT* bounds) {
    if (out == nullptr) return 0;
    RECT result{0, 0, 0, 0};
    if (rect != nullptr && bounds != nullptr) {
        const RECT r{std::max(rect->left, bounds->left), std::max(rect->top, bounds->top),
                     std::min(rect->right, bounds->right), std::min(rect->bottom, bounds->bottom)};
        if (r.left < r.right && r.top < r.bottom) result = r;
    }
    *out = result;
    return result.right > result.left ? 1 : 0;
}
