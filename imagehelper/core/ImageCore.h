// Pixel arithmetic and fitting geometry of the image helper library, free of
// Windows so the host build can test it with sanitizers. Pixels are 32-bit
// B, G, R, A bytes or 24-bit B, G, R bytes, as GDI+ lays them out.
#pragma once

#include <cstdint>

namespace imagecore {

// Integer rectangle as x, y, width, height.
struct Box {
    int x, y, w, h;
};

inline bool operator==(const Box& a, const Box& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }

// (red * 77 + green * 150 + blue * 29) >> 8: weights that sum to 256, so white stays 255.
inline uint8_t GrayLevel(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint8_t>((red * 77u + green * 150u + blue * 29u) >> 8);
}

// One row of gray levels from 24-bit or 32-bit pixels (alpha ignored).
void GrayRow24(const uint8_t* bgr, uint8_t* gray, int width);
void GrayRow32(const uint8_t* bgra, uint8_t* gray, int width);

// Alpha of each of count 32-bit pixels that lies in [lowest, highest]
// becomes alpha; colour bytes stay.
void RewriteAlphaBand(uint8_t* bgra, int count, uint8_t alpha, int lowest, int highest);

// First x from start on whose alpha is at least threshold (NextAtLeast) or
// below it (NextBelow); width when there is none.
int NextAtLeast(const uint8_t* bgra, int start, int width, uint8_t threshold);
int NextBelow(const uint8_t* bgra, int start, int width, uint8_t threshold);

// Calls sink(x0, x1) for every maximal run [x0, x1) of 32-bit pixels whose
// alpha is at least threshold, left to right. Returns the number of runs.
template <typename Sink>
int ForEachAlphaRun(const uint8_t* bgra, int width, uint8_t threshold, Sink&& sink) {
    int runs = 0;
    for (int x = NextAtLeast(bgra, 0, width, threshold); x < width;) {
        const int end = NextBelow(bgra, x, width, threshold);
        sink(x, end);
        ++runs;
        x = NextAtLeast(bgra, end, width, threshold);
    }
    return runs;
}

// Gdiplus_ResizeBitmap: output size and the source offset drawn from.
// Returns false for a mode it does not know or a size it cannot scale.
struct ResizePlan {
    int outW, outH;
    int offsetX, offsetY;
};
bool PlanResize(int srcW, int srcH, int w, int h, int mode, ResizePlan* plan);

// Cover by cropping: the centred crop of the source with the request's aspect.
bool PlanCoverCrop(int srcW, int srcH, int w, int h, Box* crop);

// Centre without scaling: source part cut centrally when larger, placed
// centrally when smaller.
void PlanCentre(int srcW, int srcH, int w, int h, Box* src, Box* dst);

// Tiles of srcW x srcH covering w x h from the origin; tile (row, col).
int TilesAcross(int size, int tile);
Box TileBox(int srcW, int srcH, int w, int h, int row, int col);

// Drawing into a caller's rectangle (Gdiplus_DrawBitmap); all false for
// empty rectangles, so nothing is drawn for them.
bool PlanDrawCover(const Box& src, const Box& dst, Box* drawSrc);
bool PlanDrawFit(const Box& src, const Box& dst, Box* drawDst);
void PlanDrawCentre(const Box& src, const Box& dst, Box* drawSrc, Box* drawDst);

// Gdiplus_DrawAlphaBitmap without stretching: the source's top-left part,
// centred in the destination.
void PlanAlphaCentre(const Box& src, const Box& dst, Box* drawSrc, Box* drawDst);

// Bytes of one row of width pixels at bpp bits, rounded up to 32-bit words.
int64_t RowBytes(int width, int bitsPerPixel);

// Intersection of a rectangle given by edges with [0, w) x [0, h); false when empty.
bool ClipEdges(int64_t left, int64_t top, int64_t right, int64_t bottom, int w, int h, Box* clipped);

}  // namespace imagecore
