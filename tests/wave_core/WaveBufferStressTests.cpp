// One thread appends as the acquisition thread does while another builds
// points, hit-tests columns and changes window length, encoding, history and
// offset as the chart does. Built with ThreadSanitizer by scripts/test.sh
// (build/tsan) and with the address sanitizer in the host build.
// WAVE_STRESS_SECONDS sets the duration (default 2).
#include "WaveBuffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

std::chrono::milliseconds StressDuration() {
    const char* text = std::getenv("WAVE_STRESS_SECONDS");
    const double seconds = text ? std::atof(text) : 2.0;
    return std::chrono::milliseconds(static_cast<int64_t>((seconds > 0 ? seconds : 2.0) * 1000));
}

}  // namespace

TEST(WaveBufferStress, AppendsFromAnotherThreadWhileTheChartReadsAndReconfigures) {
    CWaveBuffer buffer;
    buffer.SetValueRange(0.0, 1000.0);
    buffer.SetWindowLength(64);
    buffer.SetSampleType(WAVE_SAMPLE_INT16);

    std::atomic<bool> stop{false};
    std::atomic<int64_t> appends{0};
    std::thread acquisition([&] {
        // Blocks of int16 values, sized for the widest encoding: the count is
        // in samples of whatever encoding the buffer has at that moment
        // (doubles read from these bytes may be NaN).
        std::vector<int16_t> block(48 * 4);
        int16_t next = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            const int count = 1 + static_cast<int>(appends.load(std::memory_order_relaxed) % 48);
            for (int i = 0; i < 4 * count; ++i)
                block[static_cast<size_t>(i)] = next = static_cast<int16_t>((next + 7) % 1001);
            buffer.AppendSamples(block.data(), count);
            appends.fetch_add(1, std::memory_order_relaxed);
            if (appends.load(std::memory_order_relaxed) % 97 == 0) buffer.AppendSamples(block.data(), 0);
        }
    });

    // Start measuring once the appender is really running.
    while (appends.load() == 0) std::this_thread::yield();

    const RECT plots[] = {{10, 20, 410, 220}, {0, 0, 1, 50}, {5, 5, 5, 5}, {0, 0, 37, 0}};
    const double zooms[] = {1.0, 0.8, 0.41, 1.25, 3.0};
    const int lengths[] = {64, 100, 1, 300};
    const int types[] = {WAVE_SAMPLE_INT16, WAVE_SAMPLE_INT32, WAVE_SAMPLE_DOUBLE, 5};
    const auto deadline = std::chrono::steady_clock::now() + StressDuration();
    CPtrArrayCtrl points;
    int64_t rounds = 0, badPoints = 0, tooMany = 0, badColumns = 0;
    for (; std::chrono::steady_clock::now() < deadline; ++rounds) {
        const RECT& plot = plots[rounds % 4];
        const double zoom = zooms[rounds % 5];
        const int width = plot.right - plot.left;
        const int height = plot.bottom - plot.top;

        points.RemoveAll();
        buffer.MapToPoints(plot, zoom, points);
        if (points.GetCount() > (width > 0 ? width : 0)) ++tooMany;
        for (int i = 0; i < points.GetCount(); ++i) {
            const int x = WavePointX(points.GetAt(i));
            const int y = WavePointY(points.GetAt(i));
            const bool rowOk = height > 0 ? (y >= plot.top && y < plot.bottom) : y == plot.top;
            if (x < plot.left || x >= plot.right || !rowOk) ++badPoints;
        }

        int pos = -1, type = -1;
        double value = 0, y = -1;
        const int column = static_cast<int>(rounds % (width + 2)) - 1;
        // N may change right after the call: only bounds that hold for every N used.
        if (buffer.SampleAtColumn(plot, zoom, column, &pos, &type, &value, &y) &&
            (pos < 0 || pos >= 300 || y < 0 || (height > 0 && y >= height) || column < 0 || column >= width))
            ++badColumns;

        if (rounds % 50 == 0) buffer.SetWindowLength(lengths[(rounds / 50) % 4]);
        if (rounds % 70 == 0) buffer.SetSampleType(types[(rounds / 70) % 4]);
        if (rounds % 30 == 0) buffer.SetHistoryWindows(1 + static_cast<int>((rounds / 30) % 3));
        if (rounds % 11 == 0) buffer.SetScrollOffset(static_cast<int>(rounds % 400) - 50);
        if (rounds % 13 == 0) buffer.SetWholeWindowsOnly(rounds % 26 == 0);
    }
    stop = true;
    acquisition.join();

    EXPECT_GT(rounds, 0);
    EXPECT_EQ(badPoints, 0);
    EXPECT_EQ(tooMany, 0);
    EXPECT_EQ(badColumns, 0);
    // The counter is normalised by the next append after a change of N.
    const int16_t one = 1;
    buffer.SetSampleType(WAVE_SAMPLE_INT16);
    buffer.AppendSamples(&one, 1);
    const int partial = buffer.GetPartialCount();
    EXPECT_GE(partial, 0);
    EXPECT_LT(partial, buffer.GetWindowLength());
    std::printf("rounds %lld, appends %lld\n", static_cast<long long>(rounds), static_cast<long long>(appends.load()));
}
