// Where a replay stands: the frames of the whole recording counted when it is
// opened, those given so far, a pace changed while it plays, and the text the
// window shows for them.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "RadarProtocol.h"
#include "ReplaySupport.h"
#include "replay/RecordingSource.h"
#include "replay/ReplayPosition.h"

namespace {

using Bytes = std::vector<uint8_t>;

using testsupport::TempFileWith;

Bytes Frames(size_t count) {
    Bytes bytes;
    for (size_t i = 0; i < count; ++i) {
        Bytes f = radarproto::EncodeReport(static_cast<uint8_t>(i % 3), static_cast<uint16_t>(100 + i % 500));
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    return bytes;
}

struct FakeTime {
    int64_t now = 1000;
    radar::RecordingSource source{[this] { return now; }, [this](int64_t ms) { now += ms; }};
    // One read; the time it gave bytes at, or -1 when it gave none.
    int64_t ReadOnce() {
        uint8_t block[4096];
        return source.Read(block, sizeof block, 1000) > 0 ? now : -1;
    }
};

TEST(ReplayPosition, CountsEveryFrameOfTheRecordingAlsoBeyondItsFirstMegabyte) {
    // 160,000 frames: 1.1 MB, more than the first megabyte that decides
    // whether it is a recording; noise and a cut-off frame are no frames.
    Bytes recording = Frames(160000);
    recording.insert(recording.begin() + 7 * 1000, {0x01, 0xAA, 0x02});
    recording.push_back(0xAA);
    FakeTime fake;
    ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(TempFileWith(recording)));
    EXPECT_EQ(160000u, fake.source.TotalFrames());
    EXPECT_EQ(0u, fake.source.FramesGiven());
}

TEST(ReplayPosition, FramesGivenFollowThePlaybackAndStartAgainAfterTheEnd) {
    FakeTime fake;
    ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(TempFileWith(Frames(30))));
    fake.source.PrepareStart(50);
    for (int i = 0; i < 12; ++i) ASSERT_NE(-1, fake.ReadOnce()) << i;
    EXPECT_EQ(12u, fake.source.FramesGiven());
    fake.source.PrepareStart(50);  // resumed after a stop: counts on
    uint8_t block[4096];
    while (fake.source.Read(block, sizeof block, 1000) >= 0) {}
    EXPECT_EQ(30u, fake.source.FramesGiven());
    EXPECT_EQ(30u, fake.source.TotalFrames());
    fake.source.PrepareStart(50);  // played again from the beginning
    EXPECT_EQ(0u, fake.source.FramesGiven());
    ASSERT_NE(-1, fake.ReadOnce());
    EXPECT_EQ(1u, fake.source.FramesGiven());
}

TEST(ReplayPosition, AnIntervalChangedWhilePlayingPacesFromTheNextFrameOn) {
    FakeTime fake;
    ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(TempFileWith(Frames(20))));
    fake.source.PrepareStart(50);
    EXPECT_DOUBLE_EQ(50.0, fake.source.IntervalMs());
    std::vector<int64_t> times;
    for (int i = 0; i < 4; ++i) times.push_back(fake.ReadOnce());
    fake.source.ChangeInterval(10);  // from another thread in the tool
    EXPECT_DOUBLE_EQ(10.0, fake.source.IntervalMs());
    for (int i = 0; i < 4; ++i) times.push_back(fake.ReadOnce());
    // 50 ms apart, then the next frame at once and 10 ms apart from there.
    EXPECT_EQ((std::vector<int64_t>{1000, 1050, 1100, 1150, 1150, 1160, 1170, 1180}), times);
    fake.source.PrepareStart(20);  // a start takes its own interval
    EXPECT_DOUBLE_EQ(20.0, fake.source.IntervalMs());
    const int64_t resumed = fake.ReadOnce();
    EXPECT_EQ(resumed + 20, fake.ReadOnce());
}

TEST(ReplayPosition, TextShowsMinutesAndSecondsPlayedOfTheWhole) {
    // 1300 frames of 50 ms: 65 s.
    EXPECT_EQ("0:00 / 1:05", radar::ReplayPositionText(0, 1300, 50));
    EXPECT_EQ("0:12 / 1:05", radar::ReplayPositionText(259, 1300, 50));  // 12.95 s: whole seconds only
    EXPECT_EQ("0:13 / 1:05", radar::ReplayPositionText(260, 1300, 50));
    EXPECT_EQ("1:05 / 1:05", radar::ReplayPositionText(1300, 1300, 50));
    EXPECT_EQ("1:05 / 1:05", radar::ReplayPositionText(1400, 1300, 50)) << "never past the end";
    // Another report period: the same frames last longer.
    EXPECT_EQ("0:26 / 2:10", radar::ReplayPositionText(260, 1300, 100));
    // No period: 1 ms each.
    EXPECT_EQ("0:01 / 0:01", radar::ReplayPositionText(1500, 1500, 0));
    // Long recordings: minutes beyond 59 only as hours.
    EXPECT_EQ("59:59 / 59:59", radar::ReplayPositionText(71980, 71999, 50));
    EXPECT_EQ("0:00:00 / 1:00:00", radar::ReplayPositionText(0, 72000, 50));
    EXPECT_EQ("1:01:01 / 2:00:00", radar::ReplayPositionText(73220, 144000, 50));
    // A huge count does not overflow: 2^40 frames of 15 s.
    EXPECT_EQ("4581298449:04:00 / 4581298449:04:00", radar::ReplayPositionText(1ull << 40, 1ull << 40, 15000));
}

TEST(ReplayPosition, BeforeTheFramesAreCountedThePlayedTimeAlone) {
    EXPECT_EQ("0:12 / ...", radar::ReplayPositionText(240, 0, 50, false));
    EXPECT_EQ("0:00 / ...", radar::ReplayPositionText(0, 0, 50, false));
    EXPECT_EQ("1:00:00 / ...", radar::ReplayPositionText(72000, 0, 50, false));
    EXPECT_EQ("0:12 / 1:05", radar::ReplayPositionText(240, 1300, 50, true));
}

}  // namespace
