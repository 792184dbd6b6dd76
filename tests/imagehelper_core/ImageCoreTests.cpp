#include "core/ImageCore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

using namespace imagecore;

namespace {

std::vector<uint8_t> AlphaRow(const std::vector<int>& alphas) {
    std::vector<uint8_t> row;
    for (int a : alphas) {
        row.insert(row.end(), {10, 20, 30, static_cast<uint8_t>(a)});
    }
    return row;
}

std::vector<std::pair<int, int>> Runs(const std::vector<int>& alphas, uint8_t threshold) {
    const auto row = AlphaRow(alphas);
    std::vector<std::pair<int, int>> runs;
    ForEachAlphaRun(row.data(), static_cast<int>(alphas.size()), threshold,
                    [&](int x0, int x1) { runs.emplace_back(x0, x1); });
    return runs;
}

using RunList = std::vector<std::pair<int, int>>;

}  // namespace

TEST(ImageCoreGray, PrimaryColoursAndWhite) {
    EXPECT_EQ(GrayLevel(255, 255, 255), 255);
    EXPECT_EQ(GrayLevel(255, 0, 0), 76);
    EXPECT_EQ(GrayLevel(0, 255, 0), 149);
    EXPECT_EQ(GrayLevel(0, 0, 255), 28);
    EXPECT_EQ(GrayLevel(0, 0, 0), 0);
}

TEST(ImageCoreGray, RowsReadBlueGreenRedOrderAndIgnoreAlpha) {
    const uint8_t bgr[] = {0, 0, 255, 0, 255, 0, 255, 0, 0};
    uint8_t gray[3] = {};
    GrayRow24(bgr, gray, 3);
    EXPECT_EQ(gray[0], 76);
    EXPECT_EQ(gray[1], 149);
    EXPECT_EQ(gray[2], 28);

    const uint8_t bgra[] = {0, 0, 255, 0, 255, 255, 255, 0, 0, 0, 0, 255};
    GrayRow32(bgra, gray, 3);
    EXPECT_EQ(gray[0], 76);  // transparent red converts as red
    EXPECT_EQ(gray[1], 255);
    EXPECT_EQ(gray[2], 0);
}

TEST(ImageCoreAlpha, BandDecidesWhichPixelsChange) {
    auto row = AlphaRow({0, 1, 128, 255});
    RewriteAlphaBand(row.data(), 4, 200, 0, 255);
    EXPECT_EQ(row, AlphaRow({200, 200, 200, 200}));

    row = AlphaRow({0, 1, 128, 255});
    RewriteAlphaBand(row.data(), 4, 200, 1, 255);
    EXPECT_EQ(row, AlphaRow({0, 200, 200, 200}));

    row = AlphaRow({0, 1, 128, 255});
    RewriteAlphaBand(row.data(), 4, 7, 1, 128);
    EXPECT_EQ(row, AlphaRow({0, 7, 7, 255}));
}

TEST(ImageCoreRuns, RunsAreMaximalAndReachTheRowEnd) {
    EXPECT_EQ(Runs({255, 255, 0, 255, 0, 0, 255, 255}, 128), (RunList{{0, 2}, {3, 4}, {6, 8}}));
    EXPECT_EQ(Runs({0, 0, 0}, 1), RunList{});
    EXPECT_EQ(Runs({0, 0, 0}, 0), (RunList{{0, 3}}));
    EXPECT_EQ(Runs({254, 255, 255, 254}, 255), (RunList{{1, 3}}));
    EXPECT_EQ(Runs({}, 0), RunList{});
}

// The fitting examples are checked on pixels under Wine; here the edges the
// pixels cannot show: refusals, overflow, empty rectangles, source offsets.
TEST(ImageCoreGeometry, RefusesSizesItCannotScale) {
    ResizePlan p{};
    EXPECT_FALSE(PlanResize(0, 100, 10, 10, 1, &p));
    EXPECT_FALSE(PlanResize(100, 100, 0, 10, 1, &p));
    EXPECT_FALSE(PlanResize(1000, 1, 1, 1, 1, &p));          // scaled height truncates to 0
    EXPECT_FALSE(PlanResize(1, 1000000, 100000, 1, 2, &p));  // scaled height beyond int
    EXPECT_FALSE(PlanResize(200, 100, 100, 100, 5, &p));
    ASSERT_TRUE(PlanResize(1000, 1000, 100, 100, 1, &p));  // offsets stay below 0.5 / scale
    EXPECT_EQ(std::make_pair(p.offsetX, p.offsetY), std::make_pair(0, 0));
    Box crop{};
    EXPECT_FALSE(PlanCoverCrop(400, 200, 0, 100, &crop));
    EXPECT_EQ(TilesAcross(10, 0), 0);
    EXPECT_EQ(TileBox(30, 30, 100, 50, 1, 3), (Box{90, 30, 10, 20}));
}

TEST(ImageCoreGeometry, EmptyRectanglesPlanNothing) {
    Box out{};
    EXPECT_FALSE(PlanDrawFit(Box{0, 0, 200, 100}, Box{10, 10, 0, 100}, &out));
    EXPECT_FALSE(PlanDrawFit(Box{0, 0, 0, 100}, Box{10, 10, 10, 100}, &out));
    EXPECT_FALSE(PlanDrawCover(Box{0, 0, 10, 10}, Box{0, 0, 10, -1}, &out));
    ASSERT_TRUE(PlanDrawCover(Box{5, 5, 100, 100}, Box{0, 0, 200, 100}, &out));
    EXPECT_EQ(out, (Box{5, 5, 100, 100}));  // never reaches outside the source
}

TEST(ImageCoreGeometry, SourceOffsetsCarryThrough) {
    Box from{}, to{};
    PlanDrawCentre(Box{10, 10, 100, 60}, Box{0, 0, 50, 80}, &from, &to);
    EXPECT_EQ(from, (Box{35, 10, 50, 60}));
    EXPECT_EQ(to, (Box{0, 10, 50, 60}));
    PlanAlphaCentre(Box{3, 4, 100, 20}, Box{0, 0, 50, 40}, &from, &to);
    EXPECT_EQ(from, (Box{3, 4, 50, 20}));
    EXPECT_EQ(to, (Box{0, 10, 50, 20}));
}

TEST(ImageCoreRows, RowBytesRoundToWholeWords) {
    EXPECT_EQ(RowBytes(2, 24), 8);
    EXPECT_EQ(RowBytes(3, 8), 4);
    EXPECT_EQ(RowBytes(5, 32), 20);
    EXPECT_EQ(RowBytes(33, 1), 8);
}

TEST(ImageCoreRows, ClipKeepsThePartOnTheImage) {
    Box b{};
    ASSERT_TRUE(ClipEdges(-5, 2, 3, 100, 10, 10, &b));
    EXPECT_EQ(b, (Box{0, 2, 3, 8}));
    EXPECT_FALSE(ClipEdges(10, 0, 20, 5, 10, 10, &b));
    EXPECT_FALSE(ClipEdges(4, 4, 2, 8, 10, 10, &b));
    ASSERT_TRUE(ClipEdges(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 7, 9, &b));
    EXPECT_EQ(b, (Box{0, 0, 7, 9}));
}

// The four-pixels-at-a-time paths against the plain per-pixel rules, for
// every width up to a few blocks and every offset of a run.
TEST(ImageCoreWide, GrayAndRunsMatchThePerPixelRules) {
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, static_cast<uint8_t>(seed >> 16); };
    for (int width = 0; width <= 37; ++width) {
        std::vector<uint8_t> pixels(width * 4 + 4);
        for (auto& b : pixels) b = next();
        for (int i = 0; i < width; ++i)  // mostly long stretches, some single pixels
            pixels[i * 4 + 3] = (i / 5) % 2 ? 255 : (i % 7 == 0 ? 200 : 3);
        std::vector<uint8_t> gray(width + 1, 0xCD);
        GrayRow32(pixels.data(), gray.data(), width);
        for (int i = 0; i < width; ++i)
            ASSERT_EQ(gray[i], GrayLevel(pixels[i * 4 + 2], pixels[i * 4 + 1], pixels[i * 4])) << width << "/" << i;
        EXPECT_EQ(gray[width], 0xCD);  // nothing written past the row

        for (int threshold : {0, 1, 128, 200, 255}) {
            std::vector<int> inside;
            ForEachAlphaRun(pixels.data(), width, static_cast<uint8_t>(threshold), [&](int x0, int x1) {
                EXPECT_LT(x0, x1);
                for (int x = x0; x < x1; ++x) inside.push_back(x);
            });
            std::vector<int> expected;
            for (int i = 0; i < width; ++i)
                if (pixels[i * 4 + 3] >= threshold) expected.push_back(i);
            EXPECT_EQ(inside, expected) << width << " at " << threshold;
        }
    }
}
