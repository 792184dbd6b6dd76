#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportFrameParser.h"
#include "Tavo_Common.h"

namespace {

// Records what the parser saw as text: "S1D300" per frame, "T" per bad trailer.
class Recorder : public radar::IReportFrameSink {
public:
    void OnReportFrame(uint8_t state, uint16_t distance) override {
        events += "S" + std::to_string(state) + "D" + std::to_string(distance) + " ";
    }
    void OnInvalidTrailer() override { events += "T "; }
    std::string events;
};

using Bytes = std::vector<uint8_t>;

// Feeds the stream as the acquisition thread does, one read per chunk, and
// returns the events and the bytes left waiting.
std::string Feed(const Bytes& stream, const std::vector<size_t>& cuts, Bytes* left = nullptr) {
    CBaseBuffer buffer;
    Recorder recorder;
    size_t from = 0;
    std::vector<size_t> ends = cuts;
    ends.push_back(stream.size());
    for (size_t end : ends) {
        if (end > from) buffer.AppendBuffer(stream.data() + from, static_cast<int>(end - from));
        radar::ScanReportBuffer(buffer, recorder);
        from = end;
    }
    if (left) left->assign(buffer.GetBuffer(), buffer.GetBuffer() + buffer.GetAvailSize());
    return recorder.events;
}

// Every way of cutting the stream into two and three reads gives the same events.
void ExpectSameForEverySplit(const Bytes& stream, const std::string& expected, const Bytes& expectedLeft) {
    Bytes left;
    EXPECT_EQ(expected, Feed(stream, {}, &left));
    EXPECT_EQ(expectedLeft, left);
    for (size_t a = 1; a < stream.size(); ++a) {
        EXPECT_EQ(expected, Feed(stream, {a}, &left)) << "cut at " << a;
        EXPECT_EQ(expectedLeft, left) << "cut at " << a;
        for (size_t b = a + 1; b < stream.size(); ++b) {
            EXPECT_EQ(expected, Feed(stream, {a, b}, &left)) << "cuts at " << a << ", " << b;
        }
    }
    // One byte per read.
    std::vector<size_t> single;
    for (size_t i = 1; i < stream.size(); ++i) single.push_back(i);
    EXPECT_EQ(expected, Feed(stream, single, &left));
    EXPECT_EQ(expectedLeft, left);
}

}  // namespace

TEST(ReportFrameParser, FrameAfterASkippedByte) {
    ExpectSameForEverySplit({0x00, 0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55, 0x55}, "S1D300 ", {});
}

TEST(ReportFrameParser, StrayHeaderByteLogsOneInvalidTrailerThenFindsTheFrame) {
    ExpectSameForEverySplit({0xAA, 0xAA, 0xAA, 0x02, 0x64, 0x00, 0x55, 0x55}, "T S2D100 ", {});
}

TEST(ReportFrameParser, OnlyHeaderAndTrailerPositionsAreTested) {
    ExpectSameForEverySplit({0xAA, 0xAA, 0xAA, 0x55, 0x55, 0x55, 0x55}, "S170D21845 ", {});
}

TEST(ReportFrameParser, SixBytesOrFewerAreKeptWhole) {
    const Bytes six = {0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55};
    ExpectSameForEverySplit(six, "", six);
    const Bytes junk = {0x13, 0x11, 0x00};
    ExpectSameForEverySplit(junk, "", junk);
}

TEST(ReportFrameParser, FrameSplitThreeAndFour) {
    Bytes left;
    EXPECT_EQ("S1D5 ", Feed({0xAA, 0xAA, 0x01, 0x05, 0x00, 0x55, 0x55}, {3}, &left));
    EXPECT_TRUE(left.empty());
}

TEST(ReportFrameParser, BackToBackFramesNoiseAndBrokenTrailersInOrder) {
    const Bytes stream = {0xAA, 0xAA, 0x00, 0x00, 0x00, 0x55, 0x55,  // nobody at 0
                          0x42, 0x13,                                // noise
                          0xAA, 0xAA, 0x01, 0xE8, 0x03, 0x55, 0x54,  // broken trailer
                          0xAA, 0xAA, 0x02, 0xFF, 0xFF, 0x55, 0x55,  // 65535 cm
                          0xAA, 0xAA, 0x01};                         // start of the next
    ExpectSameForEverySplit(stream, "S0D0 T S2D65535 ", {0xAA, 0xAA, 0x01});
}

TEST(ReportFrameParser, NullOrEmptyInputConsumesNothing) {
    Recorder recorder;
    EXPECT_EQ(0u, radar::ScanReportFrames(nullptr, 100, recorder));
    const uint8_t one = 0xAA;
    EXPECT_EQ(0u, radar::ScanReportFrames(&one, 0, recorder));
    EXPECT_EQ("", recorder.events);
}
