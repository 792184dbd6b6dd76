// zuv_rec's throughput: csv and stats over a generated recording, against
// just reading the same file in the same blocks; and zuv_rec tune's time on
// two 1-hour recordings. Figures only.
//   recording_bench [MEGABYTES] [FOLDER]   (default 1024 MB in /tmp)
// The recording is deleted afterwards.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RadarProtocol.h"
#include "RecordingReports.h"
#include "RecordingScan.h"
#include "Tuning.h"
#include "TuningText.h"

namespace {

using Clock = std::chrono::steady_clock;

// A presence-like stream: spells of one state and distance drift, a few
// noise bytes now and then, an occasional broken trailer.
bool Generate(const std::string& path, uint64_t bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::vector<uint8_t> block;
    block.reserve(1 << 20);
    uint64_t written = 0, seed = 12345, frame = 0;
    uint8_t state = 0;
    int distance = 200;
    auto next = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(seed >> 33);
    };
    while (written < bytes) {
        block.clear();
        while (block.size() + 16 < (1u << 20)) {
            if (next() % 400 == 0) state = static_cast<uint8_t>(next() % 3);
            distance = state == 0 ? 0 : (distance + static_cast<int>(next() % 7) - 3 + 800) % 800;
            const bool broken = next() % 5000 == 0;
            std::vector<uint8_t> bytesOfFrame = radarproto::EncodeReport(state, static_cast<uint16_t>(distance));
            if (broken) bytesOfFrame.back() = 0x54;
            block.insert(block.end(), bytesOfFrame.begin(), bytesOfFrame.end());
            if (next() % 3000 == 0)
                for (uint32_t n = 1 + next() % 5; n > 0; --n) block.push_back(0x20);
            ++frame;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), bytes - written));
        if (std::fwrite(block.data(), 1, n, out) != n) {
            std::fclose(out);
            return false;
        }
        written += n;
    }
    return std::fclose(out) == 0;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Reading alone, in the scanner's block size.
double TimeRead(const std::string& path, uint64_t* total) {
    const auto start = Clock::now();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return -1;
    std::vector<uint8_t> block(recording::RecordingScanner::kBlockSize);
    uint64_t sum = 0, n = 0;
    while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) sum += n + block[0];  // touch the data
    std::fclose(in);
    *total = sum;
    return Seconds(start);
}

// One hour at 50 ms: the empty room with a fan's flicker at 420 cm every
// few minutes; the person at 150 cm with a short loss of sight now and then.
std::vector<uint8_t> HourOf(bool occupied) {
    std::vector<uint8_t> bytes;
    bytes.reserve(72000 * radarproto::kReportSize);
    uint64_t seed = occupied ? 99 : 17;
    for (int i = 0; i < 72000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const uint32_t r = static_cast<uint32_t>(seed >> 33);
        const bool blip = i % 3000 < 10 + static_cast<int>(r % 8);
        uint8_t state = 0;
        uint16_t distance = 0;
        if (occupied && !blip) state = 2, distance = static_cast<uint16_t>(145 + r % 11);
        if (!occupied && blip) state = 1, distance = static_cast<uint16_t>(415 + r % 11);
        const std::vector<uint8_t> frame = radarproto::EncodeReport(state, distance);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

// What zuv_rec tune does with two files: read, analyse, replay, format.
void BenchTune(const std::string& folder) {
    const std::string emptyPath = folder + "/tune_bench_empty.dat", occupiedPath = folder + "/tune_bench_occupied.dat";
    for (const bool occupied : {false, true}) {
        const std::vector<uint8_t> bytes = HourOf(occupied);
        std::FILE* out = std::fopen((occupied ? occupiedPath : emptyPath).c_str(), "wb");
        if (!out) return;
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    double best = 1e9;
    size_t suggestions = 0, textSize = 0;
    for (int run = 0; run < 5; ++run) {
        const auto began = Clock::now();
        tuning::ReportTrack empty, occupied;
        std::string error;
        recording::RecordingScanner emptyScanner(empty), occupiedScanner(occupied);
        recording::ScanFile(emptyPath, emptyScanner, &error);
        recording::ScanFile(occupiedPath, occupiedScanner, &error);
        const tuning::TuningResult result =
            tuning::AnalyseTuning(empty, occupied, radarproto::ModuleParameters(), tuning::TuningOptions());
        textSize = tuning::FormatTuning(result, recording::kDefaultPeriodMs).size();
        suggestions = result.suggestions.size();
        best = std::min(best, Seconds(began));
    }
    std::remove(emptyPath.c_str());
    std::remove(occupiedPath.c_str());
    std::printf(
        "tune, two 1-hour recordings (72,000 reports each): %.4f s, best of 5 (%zu suggestions, %zu bytes "
        "of text)\n",
        best, suggestions, textSize);
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    if (megabytes == 0) {
        std::fprintf(stderr, "usage: recording_bench [MEGABYTES] [FOLDER]\n");
        return 2;
    }
    const std::string path = folder + "/recording_bench.dat";
    const uint64_t bytes = megabytes << 20;
    std::printf("generating %llu MB at %s\n", static_cast<unsigned long long>(megabytes), path.c_str());
    auto start = Clock::now();
    if (!Generate(path, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::remove(path.c_str());
        return 1;
    }
    std::printf("  written in %.2f s\n", Seconds(start));

    // Each figure is the best of two runs; the first read also brings the
    // file into the page cache, as a second run of zuv_rec would find it.
    uint64_t ignored = 0;
    TimeRead(path, &ignored);
    double read = 1e9, statsTime = 1e9, csvTime = 1e9;
    recording::ScanCounts counts;
    std::string error;
    for (int run = 0; run < 2; ++run) {
        read = std::min(read, TimeRead(path, &ignored));

        auto began = Clock::now();
        recording::PresenceStats stats;
        recording::RecordingScanner statsScanner(stats);
        recording::ScanFile(path, statsScanner, &error);
        statsTime = std::min(statsTime, Seconds(began));
        counts = statsScanner.Counts();

        began = Clock::now();
        std::FILE* devnull = std::fopen("/dev/null", "wb");
        recording::CsvWriter csv(devnull ? devnull : stdout, recording::kDefaultPeriodMs);
        csv.WriteHeader();
        recording::RecordingScanner csvScanner(csv);
        recording::ScanFile(path, csvScanner, &error);
        csv.Flush();
        if (devnull) std::fclose(devnull);
        csvTime = std::min(csvTime, Seconds(began));
    }
    std::remove(path.c_str());

    const double mb = static_cast<double>(bytes) / (1 << 20);
    const recording::ScanCounts& c = counts;
    std::printf("recording: %llu reports, %llu bad trailers, %llu resyncs\n",
                static_cast<unsigned long long>(c.reports), static_cast<unsigned long long>(c.badTrailers),
                static_cast<unsigned long long>(c.resyncs));
    const double perReport = 1e9 / static_cast<double>(c.reports ? c.reports : 1);
    std::printf("%-22s %8s %10s %12s %14s\n", "", "seconds", "MB/s", "ns/report", "x plain read");
    std::printf("%-22s %8.3f %10.0f %12.1f %14.2f\n", "plain read (64 KiB)", read, mb / read, read * perReport, 1.0);
    std::printf("%-22s %8.3f %10.0f %12.1f %14.2f\n", "stats", statsTime, mb / statsTime, statsTime * perReport,
                statsTime / read);
    std::printf("%-22s %8.3f %10.0f %12.1f %14.2f\n", "csv to /dev/null", csvTime, mb / csvTime, csvTime * perReport,
                csvTime / read);
    std::printf("csv writes about %.1f bytes of text per recorded byte (%.0f MB of text)\n",
                c.reports * 22.0 / static_cast<double>(bytes), c.reports * 22.0 / (1 << 20));
    BenchTune(folder);
    return 0;
}
