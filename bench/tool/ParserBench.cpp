// Report-frame parser throughput on a recorded-like stream: frames of a
// walking person with random noise bytes between them and every 7th trailer
// broken. Prints MB/s, frames/s and the ratio to the line rate (256000 baud,
// 25,600 bytes/s). Figures only; never fails on time.
//   parser_bench [megabytes]   (default 64)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <vector>

#include "RadarProtocol.h"
#include "ReportFrameParser.h"
#include "Tavo_Common.h"

namespace {

constexpr double kLineBytesPerSecond = 25600.0;

struct CountingSink : radar::IReportFrameSink {
    uint64_t frames = 0, invalid = 0, distanceSum = 0;
    void OnReportFrame(uint8_t state, uint16_t distance) override {
        ++frames;
        distanceSum += distance + state;
    }
    void OnInvalidTrailer() override { ++invalid; }
};

// Frames with 0..3 noise bytes after each (as a module with a noisy line
// sends them), every 7th trailer broken.
std::vector<uint8_t> RecordedLikeStream(size_t size, uint64_t& framesWritten) {
    std::vector<uint8_t> out;
    out.reserve(size + 16);
    uint64_t rng = 0x9E3779B97F4A7C15ull;
    auto next = [&] {
        rng ^= rng << 13;
        rng ^= rng >> 7;
        rng ^= rng << 17;
        return static_cast<uint8_t>(rng >> 24);
    };
    framesWritten = 0;
    uint16_t distance = 50;
    while (out.size() + 10 <= size) {
        distance = static_cast<uint16_t>(distance >= 700 ? 50 : distance + 3);
        const bool broken = ++framesWritten % 7 == 0;
        std::vector<uint8_t> frame = radarproto::EncodeReport(static_cast<uint8_t>(framesWritten % 3), distance);
        if (broken) frame.back() = 0x54;
        out.insert(out.end(), frame.begin(), frame.end());
        for (int n = next() % 4; n > 0; --n) out.push_back(next());
    }
    return out;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Report(const char* what, size_t bytes, const CountingSink& sink, double seconds) {
    const double bytesPerSecond = static_cast<double>(bytes) / seconds;
    std::printf("%-34s %9.1f MB/s %12.0f frames/s  x%.0f line rate (target >= 10000x)\n", what, bytesPerSecond / 1e6,
                static_cast<double>(sink.frames) / seconds, bytesPerSecond / kLineBytesPerSecond);
}

}  // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 64;
    if (megabytes <= 0 || megabytes > 4096) {
        std::fprintf(stderr, "usage: parser_bench [megabytes 1..4096]\n");
        return 2;
    }
    uint64_t framesWritten = 0;
    const std::vector<uint8_t> stream = RecordedLikeStream(static_cast<size_t>(megabytes) << 20, framesWritten);
    std::printf("stream: %zu bytes, %llu frames written (every 7th trailer broken, 0-3 noise bytes after each)\n",
                stream.size(), static_cast<unsigned long long>(framesWritten));

    // The scan alone, over the whole stream at once (best of three).
    CountingSink whole;
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        whole = CountingSink();
        const auto start = std::chrono::steady_clock::now();
        radar::ScanReportFrames(stream.data(), stream.size(), whole);
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    }
    Report("scan, whole stream", stream.size(), whole, best);

    // As the acquisition thread does it: reads of up to 4096 bytes appended
    // to the receive buffer, each followed by a scan that keeps the rest.
    CountingSink reads;
    best = 1e30;
    for (int run = 0; run < 3; ++run) {
        reads = CountingSink();
        const auto start = std::chrono::steady_clock::now();
        CBaseBuffer buffer;
        for (size_t at = 0; at < stream.size();) {
            const size_t n = std::min<size_t>(4096 - (at / 4096) % 61, stream.size() - at);  // uneven read sizes
            buffer.AppendBuffer(stream.data() + at, static_cast<int>(n));
            radar::ScanReportBuffer(buffer, reads);
            at += n;
        }
        best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    }
    Report("receive buffer, ~4 KB reads", stream.size(), reads, best);

    std::printf("frames found %llu (whole) %llu (reads), broken trailers %llu, expected about %llu frames\n",
                static_cast<unsigned long long>(whole.frames), static_cast<unsigned long long>(reads.frames),
                static_cast<unsigned long long>(whole.invalid),
                static_cast<unsigned long long>(framesWritten - framesWritten / 7));
    // Both ways must agree; a difference is a parser fault, not a slow machine.
    return whole.frames == reads.frames && whole.distanceSum == reads.distanceSum ? 0 : 1;
}
