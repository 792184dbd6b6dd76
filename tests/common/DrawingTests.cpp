// Pixel buffers: fills, clipped lines, rectangles, the colour table.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <set>
#include <vector>

#include "Tavo_Common.h"

namespace {

constexpr uint32_t kGuard = 0xDEADBEEF;

// A w x h pixel area surrounded by guard pixels on every side.
struct GuardedBuffer {
    static constexpr int kMargin = 3;
    int w, h, pitch;  // pitch in pixels, margins included
    std::vector<uint32_t> all;
    GuardedBuffer(int w_, int h_)
        : w(w_), h(h_), pitch(w_ + 2 * kMargin), all(static_cast<size_t>(pitch) * (h_ + 2 * kMargin), kGuard) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) At(x, y) = 0;
    }
    uint32_t& At(int x, int y) { return all[static_cast<size_t>((y + kMargin) * pitch + x + kMargin)]; }
    void* Bits() { return &At(0, 0); }
    int Stride() const { return pitch * 4; }
    bool GuardsIntact() {
        for (int y = -kMargin; y < h + kMargin; ++y)
            for (int x = -kMargin; x < w + kMargin; ++x)
                if ((x < 0 || y < 0 || x >= w || y >= h) && At(x, y) != kGuard) return false;
        return true;
    }
    int Painted() {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) n += At(x, y) != 0;
        return n;
    }
};

void Line(GuardedBuffer& b, int x0, int y0, int x1, int y1, const std::vector<DWORD>& pattern) {
    DrawLineOnBuffer(b.Bits(), POINT{x0, y0}, POINT{x1, y1}, b.w, b.h, b.Stride(), 4, static_cast<int>(pattern.size()),
                     pattern.data(), 0);
}

TEST(DrawLineOnBuffer, IncludesBothEndsAndStoresPatternColoursRaw) {
    GuardedBuffer b(8, 8);
    Line(b, 1, 2, 6, 2, {0xAA000001, 0x00BBCC02});
    EXPECT_EQ(0xAA000001u, b.At(1, 2));
    EXPECT_EQ(0x00BBCC02u, b.At(2, 2));
    EXPECT_EQ(0x00BBCC02u, b.At(6, 2));  // pixel 5 of the line
    EXPECT_EQ(6, b.Painted());

    GuardedBuffer one(4, 4);
    Line(one, 2, 3, 2, 3, {7});
    EXPECT_EQ(7u, one.At(2, 3));
    EXPECT_EQ(1, one.Painted());
}

TEST(DrawLineOnBuffer, StepsOnePixelAtATimeInEveryDirection) {
    // Lines from the centre to every point of a ring: connected, both ends hit,
    // one pixel per step of the longer axis.
    for (int ex = 0; ex <= 20; ++ex) {
        for (int ey = 0; ey <= 20; ++ey) {
            if (ex != 0 && ex != 20 && ey != 0 && ey != 20) continue;
            GuardedBuffer b(21, 21);
            Line(b, 10, 10, ex, ey, {1});
            const int steps = std::max(std::abs(ex - 10), std::abs(ey - 10));
            EXPECT_EQ(steps + 1, b.Painted()) << ex << "," << ey;
            EXPECT_EQ(1u, b.At(10, 10));
            EXPECT_EQ(1u, b.At(ex, ey));
            for (int y = 0; y < 21; ++y)
                for (int x = 0; x < 21; ++x) {
                    if (b.At(x, y) == 0 || (x == 10 && y == 10)) continue;
                    bool neighbour = false;  // every pixel touches another one
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            if ((dx || dy) && x + dx >= 0 && y + dy >= 0 && x + dx < 21 && y + dy < 21)
                                neighbour |= b.At(x + dx, y + dy) != 0;
                    EXPECT_TRUE(neighbour) << ex << "," << ey << " at " << x << "," << y;
                }
        }
    }
}

TEST(DrawLineOnBuffer, ClippedLineMatchesTheVisiblePartOfTheWholeLine) {
    // The same line drawn into a large buffer and into a window of it must
    // agree pixel for pixel, pattern phase included.
    uint32_t seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
    };
    const std::vector<DWORD> pattern{0x11, 0x22, 0x33};
    constexpr int kOff = 60, kW = 23, kH = 17;
    for (int i = 0; i < 400; ++i) {
        const int x0 = next(160) - 60, y0 = next(140) - 60, x1 = next(160) - 60, y1 = next(140) - 60;
        GuardedBuffer whole(200, 200);
        Line(whole, x0 + kOff, y0 + kOff, x1 + kOff, y1 + kOff, pattern);
        GuardedBuffer part(kW, kH);
        Line(part, x0, y0, x1, y1, pattern);
        ASSERT_TRUE(part.GuardsIntact()) << x0 << "," << y0 << " " << x1 << "," << y1;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(whole.At(x + kOff, y + kOff), part.At(x, y))
                    << "line " << x0 << "," << y0 << " " << x1 << "," << y1 << " at " << x << "," << y;
    }
}

TEST(DrawLineOnBuffer, FarAwayAndHugeCoordinatesWriteNothingOutside) {
    GuardedBuffer b(16, 12);
    const std::vector<DWORD> solid{0x00FF00FF};
    // Entirely outside, on every side and at the extremes of the type.
    Line(b, -5, -1, 40, -1, solid);
    Line(b, 16, -100, 16, 100, solid);
    Line(b, INT_MIN, INT_MIN, INT_MAX, INT_MIN, solid);
    Line(b, INT_MAX, INT_MAX, INT_MAX - 3, INT_MIN, solid);
    Line(b, -1000000, 13, 1000000, 500000, solid);
    EXPECT_TRUE(b.GuardsIntact());
    EXPECT_EQ(0, b.Painted());

    // Crossing the buffer from billions of pixels away: only the visible part
    // is walked, so this returns at once.
    Line(b, INT_MIN, 5, INT_MAX, 5, solid);
    Line(b, 3, INT_MIN, 3, INT_MAX, solid);
    Line(b, INT_MIN, INT_MIN, INT_MAX, INT_MAX, solid);
    Line(b, -2000000000, 1999999990, 2000000000, -1999999990, solid);
    EXPECT_TRUE(b.GuardsIntact());
    for (int x = 0; x < 16; ++x) EXPECT_EQ(0x00FF00FFu, b.At(x, 5)) << x;
    for (int y = 0; y < 12; ++y) EXPECT_EQ(0x00FF00FFu, b.At(3, y)) << y;
}

TEST(DrawLineOnBuffer, BottomUpBufferWithNegativeStride) {
    GuardedBuffer b(6, 4);
    // Row 0 of the picture is the last row in memory.
    DWORD colour = 5;
    DrawLineOnBuffer(&b.At(0, 3), POINT{0, 0}, POINT{5, 0}, 6, 4, -b.Stride(), 4, 1, &colour, 0);
    DrawLineOnBuffer(&b.At(0, 3), POINT{0, -1}, POINT{5, 9}, 6, 4, -b.Stride(), 4, 1, &colour, 0);
    EXPECT_TRUE(b.GuardsIntact());
    for (int x = 0; x < 6; ++x) EXPECT_EQ(5u, b.At(x, 3));
    // Rows that overlap, missing pattern or buffer: nothing happens.
    GuardedBuffer c(6, 4);
    DrawLineOnBuffer(c.Bits(), POINT{0, 0}, POINT{5, 3}, 6, 4, 8, 4, 1, &colour, 0);
    DrawLineOnBuffer(c.Bits(), POINT{0, 0}, POINT{5, 3}, 6, 4, c.Stride(), 4, 0, &colour, 0);
    DrawLineOnBuffer(c.Bits(), POINT{0, 0}, POINT{5, 3}, 6, 4, c.Stride(), 4, 1, nullptr, 0);
    DrawLineOnBuffer(nullptr, POINT{0, 0}, POINT{5, 3}, 6, 4, c.Stride(), 4, 1, &colour, 0);
    EXPECT_EQ(0, c.Painted());
}

TEST(DrawColorOnBuffer, StoresColorrefAsRgbPixelInsideTheRectOnly) {
    GuardedBuffer b(5, 4);
    RECT r{1, 1, 4, 3};
    DrawColorOnBuffer(0x00332211 /* red 11, green 22, blue 33 */, b.Bits(), &r, b.Stride());
    EXPECT_TRUE(b.GuardsIntact());
    EXPECT_EQ(6, b.Painted());
    EXPECT_EQ(0x00112233u, b.At(1, 1));
    EXPECT_EQ(0x00112233u, b.At(3, 2));
    EXPECT_EQ(0u, b.At(4, 1));
    DrawColorOnBuffer(0, b.Bits(), nullptr, b.Stride());
}

TEST(Rects, BoundRectClipsInPlaceAndZeroesWhenApart) {
    RECT r;
    SetRectXY(&r, -5, 2, 30, 8);
    RECT bounds{0, 0, 20, 5};
    EXPECT_TRUE(BoundRect(&r, &r, &bounds));
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(2, r.top);
    EXPECT_EQ(20, r.right);
    EXPECT_EQ(5, r.bottom);
    RECT apart{30, 30, 40, 40}, out{1, 1, 1, 1};
    EXPECT_FALSE(BoundRect(&out, &apart, &bounds));
    EXPECT_EQ(0, out.left + out.top + out.right + out.bottom);
    RECT touching{20, 0, 25, 5};
    EXPECT_FALSE(BoundRect(&out, &touching, &bounds));
    EXPECT_FALSE(BoundRect(&out, nullptr, &bounds));
}

TEST(ColorTable, FiftyDistinctColoursNeitherWashedOutNorBlack) {
    std::set<COLORREF> colours;
    for (int row = 0; row < TAVO_COLOR_TABLE_ROWS; ++row)
        for (int col = 0; col < 10; ++col) {
            const COLORREF c = gCommonColorTable[row][col];
            colours.insert(c);
            const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
            const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
            EXPECT_EQ(0u, c >> 24) << row << "," << col;
            EXPECT_GE(hi, 0x70) << "too dark " << row << "," << col;
            EXPECT_LE(lo, 0xD0) << "too light " << row << "," << col;
            EXPECT_GE(hi - lo, 0x40) << "grey " << row << "," << col;
        }
    EXPECT_EQ(50u, colours.size());
}

}  // namespace
