// The link's health figures as the acquisition counts them from the parser:
// the same resyncs and broken trailers as the recording statistics, however
// the stream is cut into reads; the rate.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "LinkHealth.h"
#include "RadarProtocol.h"
#include "RecordingScan.h"
#include "ReportFrameParser.h"
#include "Tavo_Common.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The acquisition's sink in miniature: the parser's events into the counters.
class Counting : public radar::IReportFrameSink {
public:
    explicit Counting(radar::LinkHealthCounters& counters) : m_counters(counters) {}
    void OnReportFrame(uint8_t, uint16_t) override { m_counters.OnReport(); }
    void OnInvalidTrailer() override { m_counters.OnBadTrailer(); }
    void OnSkippedBytes(size_t count) override { m_counters.OnSkippedBytes(count); }

private:
    radar::LinkHealthCounters& m_counters;
};

radar::LinkHealthFigures CountInReads(const Bytes& stream, size_t readSize) {
    radar::LinkHealthCounters counters;
    Counting sink(counters);
    CBaseBuffer buffer;
    for (size_t from = 0; from < stream.size(); from += readSize) {
        const size_t n = std::min(readSize, stream.size() - from);
        buffer.AppendBuffer(stream.data() + from, static_cast<int>(n));
        radar::ScanReportBuffer(buffer, sink);
    }
    return counters.Figures();
}

struct NoReports : recording::IReportConsumer {
    void OnReport(const recording::Report&) override {}
};

void Frame(Bytes& out, uint8_t state, uint16_t distance, bool brokenTrailer = false) {
    out.insert(out.end(),
               {0xAA, 0xAA, state, static_cast<uint8_t>(distance & 0xFF), static_cast<uint8_t>(distance >> 8), 0x55,
                static_cast<uint8_t>(brokenTrailer ? 0x56 : 0x55)});
}

TEST(LinkHealth, EachRunOfSkippedBytesEndingAtAFrameIsOneResync) {
    Bytes stream;
    Frame(stream, 1, 100);
    Frame(stream, 1, 101, true);  // broken: its 7 bytes are skipped, then the next frame resyncs
    Frame(stream, 1, 102);
    stream.insert(stream.end(), {0x00, 0x13, 0x42});  // noise, a second run
    Frame(stream, 2, 103);
    Frame(stream, 2, 104);
    stream.insert(stream.end(), {0x01, 0x02});  // at the end: no frame ends it, so no resync
    for (size_t read = 1; read <= stream.size(); ++read) {
        const radar::LinkHealthFigures f = CountInReads(stream, read);
        EXPECT_EQ(4u, f.reports) << "reads of " << read;
        EXPECT_EQ(1u, f.badTrailers) << "reads of " << read;
        EXPECT_EQ(2u, f.resyncs) << "reads of " << read;
    }
}

TEST(LinkHealth, AgreesWithTheRecordingStatisticsOnNoisyStreams) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        Bytes stream;
        for (int i = 0; i < 300; ++i) {
            const int what = static_cast<int>(random() % 10);
            if (what == 0) {
                for (int k = static_cast<int>(random() % 9); k > 0; --k)
                    stream.push_back(static_cast<uint8_t>(random()));
            } else {
                Frame(stream, static_cast<uint8_t>(random() % 3), static_cast<uint16_t>(random() % 800), what == 1);
            }
        }
        NoReports none;
        recording::RecordingScanner scanner(none);
        scanner.Feed(stream.data(), stream.size());
        scanner.Finish();
        const recording::ScanCounts& expected = scanner.Counts();
        for (size_t read : {1u, 5u, 64u, 4096u}) {
            const radar::LinkHealthFigures f = CountInReads(stream, read);
            EXPECT_EQ(expected.reports, f.reports) << "round " << round << ", reads of " << read;
            EXPECT_EQ(expected.badTrailers, f.badTrailers) << "round " << round << ", reads of " << read;
            EXPECT_EQ(expected.resyncs, f.resyncs) << "round " << round << ", reads of " << read;
        }
    }
}

TEST(LinkHealth, ResetStartsARunFromNothingPortLossesIncluded) {
    radar::LinkHealthCounters counters;
    counters.OnSkippedBytes(3);  // a run cut by the stop: not carried into the next run
    counters.OnBadTrailer();
    counters.OnPortLost();
    counters.OnPortLost();
    EXPECT_EQ(2u, counters.Figures().portLosses);
    counters.Reset();
    counters.OnReport();
    const radar::LinkHealthFigures f = counters.Figures();
    EXPECT_EQ(1u, f.reports);
    EXPECT_EQ(0u, f.badTrailers);
    EXPECT_EQ(0u, f.resyncs);
    EXPECT_EQ(0u, f.portLosses);
}

TEST(LinkHealth, ReportsPerSecondRoundsOverTheTimeThatPassed) {
    EXPECT_EQ(20u, radar::ReportsPerSecond(100, 120, 1000));
    EXPECT_EQ(20u, radar::ReportsPerSecond(100, 121, 1040));  // 20.19
    EXPECT_EQ(21u, radar::ReportsPerSecond(0, 21, 1010));     // 20.79
    EXPECT_EQ(40u, radar::ReportsPerSecond(0, 20, 500));
    EXPECT_EQ(0u, radar::ReportsPerSecond(0, 20, 0)) << "no time passed";
    EXPECT_EQ(0u, radar::ReportsPerSecond(50, 10, 1000)) << "counts renewed in between";
}

}  // namespace
