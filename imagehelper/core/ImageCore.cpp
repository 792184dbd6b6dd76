#include "ImageCore.h"

#include <algorithm>
#include <climits>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace imagecore {

void GrayRow24(const uint8_t* bgr, uint8_t* gray, int width) {
    for (int x = 0; x < width; ++x, bgr += 3) gray[x] = GrayLevel(bgr[2], bgr[1], bgr[0]);
}

void GrayRow32(const uint8_t* bgra, uint8_t* gray, int width) {
    int x = 0;
#if defined(__SSE2__)
    // Four pixels at a time, the same integer formula: (b*29 + g*150) + (r*77 + a*0), then >> 8.
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights = _mm_setr_epi16(29, 150, 77, 0, 29, 150, 77, 0);
    for (; x + 4 <= width; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra + x * 4));
        __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), weights);
        __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), weights);
        lo = _mm_srli_epi32(_mm_add_epi32(lo, _mm_srli_epi64(lo, 32)), 8);  // pixel sums in lanes 0 and 2
        hi = _mm_srli_epi32(_mm_add_epi32(hi, _mm_srli_epi64(hi, 32)), 8);
        const __m128i sums = _mm_unpacklo_epi64(_mm_shuffle_epi32(lo, _MM_SHUFFLE(2, 0, 2, 0)),
                                                _mm_shuffle_epi32(hi, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(sums, zero), zero);
        const uint32_t four = static_cast<uint32_t>(_mm_cvtsi128_si32(bytes));
        gray[x] = static_cast<uint8_t>(four);
        gray[x + 1] = static_cast<uint8_t>(four >> 8);
        gray[x + 2] = static_cast<uint8_t>(four >> 16);
        gray[x + 3] = static_cast<uint8_t>(four >> 24);
    }
#endif
    for (; x < width; ++x) gray[x] = GrayLevel(bgra[x * 4 + 2], bgra[x * 4 + 1], bgra[x * 4]);
}

namespace {

#if defined(__SSE2__)
// Bits 3, 7, 11, 15 of the mask: the alpha bytes of four pixels at or above the threshold.
inline int AlphaAtLeastMask(const uint8_t* fourPixels, __m128i threshold) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fourPixels));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(v, threshold), v)) & 0x8888;
}
#endif

// Masks are mostly long stretches of one state: step over them four pixels at a time.
template <bool kWantAtLeast>
int NextWith(const uint8_t* bgra, int x, int width, uint8_t threshold) {
#if defined(__SSE2__)
    const __m128i t = _mm_set1_epi8(static_cast<char>(threshold));
    for (; x + 4 <= width; x += 4) {
        int m = AlphaAtLeastMask(bgra + x * 4, t);
        if (!kWantAtLeast) m ^= 0x8888;
        if (m != 0) return x + __builtin_ctz(static_cast<unsigned>(m)) / 4;
    }
#endif
    for (; x < width; ++x)
        if ((bgra[x * 4 + 3] >= threshold) == kWantAtLeast) return x;
    return width;
}

}  // namespace

int NextAtLeast(const uint8_t* bgra, int start, int width, uint8_t threshold) {
    return NextWith<true>(bgra, start, width, threshold);
}

int NextBelow(const uint8_t* bgra, int start, int width, uint8_t threshold) {
    return NextWith<false>(bgra, start, width, threshold);
}

void RewriteAlphaBand(uint8_t* bgra, int count, uint8_t alpha, int lowest, int highest) {
    for (int i = 0; i < count; ++i) {
        const int a = bgra[i * 4 + 3];
        if (lowest <= a && a <= highest) bgra[i * 4 + 3] = alpha;
    }
}

namespace {

// trunc() of a size that must fit an int; false when it does not.
bool TruncSize(double value, int* out) {
    if (!(value >= 0.0) || value >= static_cast<double>(INT_MAX)) return false;
    *out = static_cast<int>(value);
    return true;
}

}  // namespace

bool PlanResize(int srcW, int srcH, int w, int h, int mode, ResizePlan* plan) {
    if (srcW <= 0 || srcH <= 0 || w <= 0 || h <= 0) return false;
    if (mode == 0) {
        *plan = ResizePlan{w, h, 0, 0};
        return true;
    }
    const double fx = static_cast<double>(w) / srcW;
    const double fy = static_cast<double>(h) / srcH;
    double s;
    switch (mode) {
    case 1: s = std::min(fx, fy); break;
    case 2: s = std::max(fx, fy); break;
    case 3: s = fx; break;
    case 4: s = fy; break;
    default: return false;
    }
    ResizePlan p{};
    if (!TruncSize(srcW * s, &p.outW) || !TruncSize(srcH * s, &p.outH) || p.outW < 1 || p.outH < 1) return false;
    p.offsetX = static_cast<int>((srcW - p.outW / s) * 0.5);
    p.offsetY = static_cast<int>((srcH - p.outH / s) * 0.5);
    *plan = p;
    return true;
}

bool PlanCoverCrop(int srcW, int srcH, int w, int h, Box* crop) {
    if (srcW <= 0 || srcH <= 0 || w <= 0 || h <= 0) return false;
    const double s = std::min(static_cast<double>(srcW) / w, static_cast<double>(srcH) / h);
    int cw = 0, ch = 0;
    if (!TruncSize(w * s, &cw) || !TruncSize(h * s, &ch) || cw < 1 || ch < 1) return false;
    *crop = Box{(srcW - cw) / 2, (srcH - ch) / 2, cw, ch};
    return true;
}

void PlanCentre(int srcW, int srcH, int w, int h, Box* src, Box* dst) {
    const int cw = std::min(srcW, w);
    const int ch = std::min(srcH, h);
    *src = Box{srcW > w ? (srcW - w) / 2 : 0, srcH > h ? (srcH - h) / 2 : 0, cw, ch};
    *dst = Box{(w - cw) / 2, (h - ch) / 2, cw, ch};
}

int TilesAcross(int size, int tile) {
    if (size <= 0 || tile <= 0) return 0;
    return static_cast<int>((static_cast<int64_t>(size) + tile - 1) / tile);
}

Box TileBox(int srcW, int srcH, int w, int h, int row, int col) {
    const int64_t x = static_cast<int64_t>(col) * srcW;
    const int64_t y = static_cast<int64_t>(row) * srcH;
    const int64_t tw = std::min<int64_t>(x + srcW, w) - x;
    const int64_t th = std::min<int64_t>(y + srcH, h) - y;
    return Box{static_cast<int>(x), static_cast<int>(y), static_cast<int>(tw), static_cast<int>(th)};
}

namespace {
bool Empty(const Box& b) { return b.w <= 0 || b.h <= 0; }
}  // namespace

bool PlanDrawCover(const Box& src, const Box& dst, Box* drawSrc) {
    if (Empty(src) || Empty(dst)) return false;
    const double s = std::min(static_cast<double>(src.w) / dst.w, static_cast<double>(src.h) / dst.h);
    int cw = 0, ch = 0;
    if (!TruncSize(src.w / s, &cw)) cw = src.w;
    if (!TruncSize(src.h / s, &ch)) ch = src.h;
    cw = std::min(cw, src.w);
    ch = std::min(ch, src.h);
    *drawSrc = Box{src.x + (src.w - cw) / 2, src.y + (src.h - ch) / 2, cw, ch};
    return true;
}

bool PlanDrawFit(const Box& src, const Box& dst, Box* drawDst) {
    if (Empty(src) || Empty(dst)) return false;
    const double s = std::max(static_cast<double>(src.w) / dst.w, static_cast<double>(src.h) / dst.h);
    int ow = 0, oh = 0;
    if (!TruncSize(src.w / s, &ow) || !TruncSize(src.h / s, &oh)) return false;
    *drawDst = Box{dst.x + std::max(dst.w - ow, 0) / 2, dst.y + std::max(dst.h - oh, 0) / 2, ow, oh};
    return true;
}

void PlanDrawCentre(const Box& src, const Box& dst, Box* drawSrc, Box* drawDst) {
    const int cw = std::min(src.w, dst.w);
    const int ch = std::min(src.h, dst.h);
    *drawSrc = Box{src.w > dst.w ? src.x + (src.w - dst.w) / 2 : src.x,
                   src.h > dst.h ? src.y + (src.h - dst.h) / 2 : src.y, cw, ch};
    *drawDst = Box{src.w <= dst.w ? dst.x + (dst.w - src.w) / 2 : dst.x,
                   src.h <= dst.h ? dst.y + (dst.h - src.h) / 2 : dst.y, cw, ch};
}

void PlanAlphaCentre(const Box& src, const Box& dst, Box* drawSrc, Box* drawDst) {
    const int w = std::min(src.w, dst.w);
    const int h = std::min(src.h, dst.h);
    *drawSrc = Box{src.x, src.y, w, h};
    *drawDst = Box{dst.x + (dst.w - w) / 2, dst.y + (dst.h - h) / 2, w, h};
}

int64_t RowBytes(int width, int bitsPerPixel) { return (static_cast<int64_t>(width) * bitsPerPixel + 31) / 32 * 4; }

bool ClipEdges(int64_t left, int64_t top, int64_t right, int64_t bottom, int w, int h, Box* clipped) {
    const int64_t l = std::max<int64_t>(left, 0), t = std::max<int64_t>(top, 0);
    const int64_t r = std::min<int64_t>(right, w), b = std::min<int64_t>(bottom, h);
    if (l >= r || t >= b) return false;
    *clipped = Box{static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(b - t)};
    return true;
}

}  // namespace imagecore
