// The shared readers of the simulator's log and of report frames: the e2e
// tests and the tool benchmark judge the tool by them, so they must not
// miscount.
#include "SimLog.h"

#include <gtest/gtest.h>

namespace testsupport {
namespace {

// A log as zuv_sim writes it: start sequence, two report blocks (the second
// cut short by a full line), a stop, and a report that raced the stop.
const char kLog[] =
    "     0.001 --- listening on /dev/pts/3\n"
    "     0.100 RX 55 AA 01 00 FF 00 00 55 AA\n"
    "     0.101 CMD enter command mode\n"
    "     0.101 TX 55 AA 02 00 FF 00 00 00 55 AA\n"
    "     0.200 CMD leave command mode\n"
    "     0.200 TX 55 AA 02 00 FE 00 00 00 55 AA\n"
    "     0.250 TX AA AA 01 2C 01 55 55\n"
    "     0.300 TX AA AA 02 64 00 55 55 13 37 (3 dropped)\n"
    "     0.350 CMD stop reporting\n"
    "     0.350 TX 55 AA 02 00 11 00 00 00 55 AA\n"
    "     0.360 TX AA AA 00 00 00 55 55\n"
    "     0.400 --- exit: signal\n";

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

TEST(SimLogTest, BytesSentIsEveryTxByteInOrderWithoutTheDroppedOnes) {
    const std::string sent = BytesSent(kLog);
    const std::string expected = Bytes({0x55, 0xAA, 0x02, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x55, 0xAA}) +
                                 Bytes({0x55, 0xAA, 0x02, 0x00, 0xFE, 0x00, 0x00, 0x00, 0x55, 0xAA}) +
                                 Bytes({0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55, 0x55}) +
                                 Bytes({0xAA, 0xAA, 0x02, 0x64, 0x00, 0x55}) +
                                 Bytes({0x55, 0xAA, 0x02, 0x00, 0x11, 0x00, 0x00, 0x00, 0x55, 0xAA}) +
                                 Bytes({0xAA, 0xAA, 0x00, 0x00, 0x00, 0x55, 0x55});
    EXPECT_EQ(expected, sent);
    EXPECT_EQ("", BytesSent("     0.1 RX AA AA 01 2C 01 55 55\n     0.2 CMD read version\n"));
}

TEST(SimLogTest, ReportBlocksFollowTheReplyToLeaveCommandModeUpToTheNextCommand) {
    const std::vector<TxBlock> blocks = ReportBlocks(kLog);
    ASSERT_EQ(2u, blocks.size());
    EXPECT_DOUBLE_EQ(0.25, blocks[0].time);
    EXPECT_EQ(Bytes({0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55, 0x55}), blocks[0].bytes);
    EXPECT_DOUBLE_EQ(0.3, blocks[1].time);
    EXPECT_EQ(Bytes({0xAA, 0xAA, 0x02, 0x64, 0x00, 0x55}), blocks[1].bytes);
    EXPECT_EQ(blocks[0].bytes + blocks[1].bytes, ReportBytesSent(kLog));
    // A second start sequence begins the stream again.
    const std::string again = std::string(kLog) +
                              "     0.500 CMD leave command mode\n"
                              "     0.500 TX 55 AA 02 00 FE 00 00 00 55 AA\n"
                              "     0.550 TX AA AA 01 90 01 55 55\n";
    EXPECT_EQ(Bytes({0xAA, 0xAA, 0x01, 0x90, 0x01, 0x55, 0x55}), ReportBytesSent(again));
}

TEST(SimLogTest, FramesInFindsWholeFramesTheWayTheToolDoes) {
    const std::string good = Bytes({0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55, 0x55});
    const std::string broken = Bytes({0xAA, 0xAA, 0x02, 0x64, 0x00, 0x55, 0x56});
    // Noise, a broken trailer, a good frame after it and a cut-off frame at
    // the end; then a frame that starts on the second of three header bytes.
    const std::string data = Bytes({0x13, 0xAA}) + good + broken + good + Bytes({0xAA, 0xAA, 0x01, 0x2C, 0x01, 0x55});
    const std::vector<long> frames = FramesIn(data);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(1, FrameState(frames[0]));
    EXPECT_EQ(300, FrameDistance(frames[0]));
    EXPECT_EQ(frames[0], frames[1]);
    const std::string inside = Bytes({0xAA, 0xAA, 0xAA, 0x00, 0x02, 0x00, 0x55, 0x55});
    ASSERT_EQ(1u, FramesIn(inside).size());
    EXPECT_EQ(0, FrameState(FramesIn(inside)[0]));
    EXPECT_EQ(2, FrameDistance(FramesIn(inside)[0]));
    EXPECT_EQ(1u, FramesIn(Bytes({0xAA, 0xAA, 0x02, 0xFF, 0xFF, 0x55, 0x55})).size());
    EXPECT_EQ(65535, FrameDistance(FramesIn(Bytes({0xAA, 0xAA, 0x02, 0xFF, 0xFF, 0x55, 0x55}))[0]));
}

TEST(SimLogTest, FramesLoggedAndIncompleteLines) {
    const std::string log =
        "State=1, M_D=300\r\nTailer TAG Invalid!\r\nState=2, M_D=045\r\nState=0, M_D=12\r\n"
        "State=0, M_D=000\n";
    const std::vector<long> frames = FramesLogged(log);
    ASSERT_EQ(2u, frames.size()) << "three-digit distances ending in CR LF only";
    EXPECT_EQ((1L << 16) | 300, frames[0]);
    EXPECT_EQ(2, FrameState(frames[1]));
    EXPECT_EQ(45, FrameDistance(frames[1]));

    EXPECT_EQ("", FirstIncompleteLine("a\r\nb\r\n"));
    EXPECT_EQ("", FirstIncompleteLine(""));
    EXPECT_EQ("b\n", FirstIncompleteLine("a\r\nb\nc\r\n"));
    EXPECT_EQ("\n", FirstIncompleteLine("a\r\n\n"));
    EXPECT_EQ("\n", FirstIncompleteLine("\nb\r\n"));
    EXPECT_EQ("tail", FirstIncompleteLine("a\r\ntail"));
}

}  // namespace
}  // namespace testsupport
