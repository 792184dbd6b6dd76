// The replay source on the host with a clock of the test's own: every byte of
// the recording comes out unchanged, each frame exactly when due; stop and
// start resume, the end rewinds; files that are no recording are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "RadarProtocol.h"
#include "ReplaySupport.h"
#include "replay/RecordingSource.h"

namespace {

using Bytes = std::vector<uint8_t>;

using testsupport::TempFileWith;

Bytes Frames(int count, int firstDistance = 100) {
    Bytes bytes;
    for (int i = 0; i < count; ++i) {
        Bytes f = radarproto::EncodeReport(static_cast<uint8_t>(i % 3), static_cast<uint16_t>(firstDistance + i));
        bytes.insert(bytes.end(), f.begin(), f.end());
    }
    return bytes;
}

// A source on a fake clock that only moves when the source sleeps (or the test moves it).
struct FakeTimeSource {
    int64_t now = 1000;
    std::vector<int64_t> sleeps;
    radar::RecordingSource source{[this] { return now; },
                                  [this](int64_t ms) {
                                      sleeps.push_back(ms);
                                      now += ms;
                                  }};
    // Reads until the source ends or `until` frames' bytes came; returns the
    // bytes and, per read that gave bytes, the time and count.
    Bytes ReadAll(std::vector<std::pair<int64_t, size_t>>* reads = nullptr, size_t stopAfterBytes = SIZE_MAX,
                  size_t capacity = 4096) {
        Bytes all;
        std::vector<uint8_t> block(capacity);
        for (int guard = 0; guard < 100000 && all.size() < stopAfterBytes; ++guard) {
            const int n = source.Read(block.data(), block.size(), 100);
            if (n < 0) break;
            if (n > 0 && reads) reads->push_back({now, static_cast<size_t>(n)});
            all.insert(all.end(), block.begin(), block.begin() + n);
        }
        return all;
    }
};

TEST(RecordingSource, GivesEveryByteUnchangedEachFrameWhenDueAndEndsOnce) {
    Bytes recording = Frames(40);
    const Bytes noise = {0x01, 0xAA, 0xAA, 0x02, 0x03, 0x04, 0x05, 0x06};
    recording.insert(recording.begin() + 70, noise.begin(), noise.end());  // between frames 10 and 11
    recording.push_back(0xAA);                                             // a cut-off frame at the end

    FakeTimeSource fake;
    ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(TempFileWith(recording)));
    fake.source.PrepareStart(50.0 / 4);  // 50 ms frames at 4x
    std::vector<std::pair<int64_t, size_t>> reads;
    EXPECT_EQ(recording, fake.ReadAll(&reads));
    EXPECT_TRUE(fake.source.AtEnd());
    uint8_t byte = 0;
    EXPECT_EQ(-1, fake.source.Read(&byte, 1, 100));

    // One frame per read, due every 12.5 ms from the start; the noise goes
    // with the frame after it, the cut-off byte last.
    ASSERT_EQ(41u, reads.size());
    for (size_t k = 0; k < 40; ++k) {
        EXPECT_EQ(1000 + static_cast<int64_t>(std::ceil(k * 12.5)), reads[k].first) << k;
        EXPECT_EQ(k == 10 ? 15u : 7u, reads[k].second) << k;
    }
    EXPECT_EQ(1u, reads[40].second);
    for (int64_t ms : fake.sleeps) EXPECT_LE(ms, 100);

    // A reader that was held up gets what came due at once, within its capacity.
    FakeTimeSource late;
    ASSERT_EQ(radar::ReplayProblem::None, late.source.Open(TempFileWith(Frames(40))));
    late.source.PrepareStart(50);
    std::vector<uint8_t> block(70);
    EXPECT_EQ(7, late.source.Read(block.data(), block.size(), 100));
    late.now += 1000;  // 20 more frames due
    EXPECT_EQ(70, late.source.Read(block.data(), block.size(), 100));
    EXPECT_EQ(70, late.source.Read(block.data(), block.size(), 100));
    EXPECT_EQ(0, late.source.Read(block.data(), block.size(), 10));  // frame 21 due in 50 ms, only 10 waited
}

TEST(RecordingSource, StartAfterStopResumesAndStartAfterTheEndReplaysFromTheBeginning) {
    const Bytes recording = Frames(30);
    FakeTimeSource fake;
    ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(TempFileWith(recording)));
    fake.source.PrepareStart(50);
    Bytes first = fake.ReadAll(nullptr, 70);
    ASSERT_EQ(70u, first.size());
    fake.now += 60000;  // stopped for a minute
    fake.source.PrepareStart(50);
    std::vector<std::pair<int64_t, size_t>> reads;
    Bytes rest = fake.ReadAll(&reads);
    first.insert(first.end(), rest.begin(), rest.end());
    EXPECT_EQ(recording, first);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(7u, reads[0].second) << "the schedule starts anew at the start, no burst of missed frames";

    fake.source.PrepareStart(50);
    EXPECT_FALSE(fake.source.AtEnd());
    EXPECT_EQ(recording, fake.ReadAll());
}

TEST(RecordingSource, RefusesMissingEmptyAndForeignFilesAndBadSpeeds) {
    radar::RecordingSource source;
    EXPECT_EQ(radar::ReplayProblem::CannotOpen, source.Open(nullptr));
    EXPECT_EQ(radar::ReplayProblem::Empty, source.Open(TempFileWith({})));
    EXPECT_EQ(radar::ReplayProblem::NotARecording, source.Open(TempFileWith(Bytes(3 << 20, 'x'))));
    Bytes noisyStart(5000, 0x20);
    Bytes frames = Frames(3);
    noisyStart.insert(noisyStart.end(), frames.begin(), frames.end());
    EXPECT_EQ(radar::ReplayProblem::None, source.Open(TempFileWith(noisyStart)));
    // A file of noise alone longer than the source holds still comes out whole.
    FakeTimeSource fake;
    Bytes noise(200000, 0x20);
    noise.insert(noise.end(), frames.begin(), frames.end());
    ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(TempFileWith(noise)));
    fake.source.PrepareStart(50);
    EXPECT_EQ(noise, fake.ReadAll());

    double speed = 0;
    EXPECT_TRUE(radar::ParseReplaySpeed("10", speed));
    EXPECT_EQ(10.0, speed);
    EXPECT_TRUE(radar::ParseReplaySpeed("0.5", speed));
    for (const char* bad : {"", "0", "-2", "fast", "10x", "1e9", "nan"})
        EXPECT_FALSE(radar::ParseReplaySpeed(bad, speed)) << bad;
}

// The pace in whole microseconds, as the pacer keeps it: frame k after a
// start is due ceil(k * us / 1000) ms after it.
int64_t IntervalUs(double intervalMs) {
    return intervalMs > 0 ? std::max<int64_t>(1, std::llround(intervalMs * 1000)) : 0;
}
int64_t DueAfterMs(uint64_t k, int64_t us) { return static_cast<int64_t>((k * us + 999) / 1000); }

// Every pace the tool can play at: the report periods it accepts (1 to
// 15000 ms) at the speeds it accepts (0.01 to 1000, the menu's among them),
// and intervals that are no exact double or exact in ms.
std::vector<double> EveryInterval() {
    std::vector<double> intervals = {50, 12.5, 50.0 / 3, 44.0 / 5, 0, 1.0 / 3, 0.001};
    for (double period : {1.0, 11.0, 49.0, 50.0, 333.0, 15000.0})
        for (double speed : {0.01, 0.3, 1.0, 1.5, 3.0, 5.0, 7.7, 20.0, 33.3, 100.0, 999.9, 1000.0})
            intervals.push_back(period / speed);
    return intervals;
}

// Due and WaitMs are one schedule: a frame is due exactly when no wait is
// left, and the wait ends exactly when the frame comes due.
TEST(ReplayPacer, DueAndWaitAgreeAtEveryMillisecondForEveryPace) {
    for (double interval : EveryInterval()) {
        SCOPED_TRACE("interval " + std::to_string(interval) + " ms");
        const int64_t us = IntervalUs(interval);
        radar::ReplayPacer pacer;
        pacer.SetIntervalMs(interval);
        pacer.Restart(1000);
        const uint64_t frames = interval > 1000 ? 20 : 600;
        int failures = 0;
        for (uint64_t k = 0; k < frames && failures < 3; ++k) {
            const int64_t dueAt = 1000 + DueAfterMs(k, us);
            for (int64_t now = dueAt - 3; now <= dueAt + 3; ++now) {
                if (now < 1000) continue;
                const bool due = pacer.Due(now) > 0;
                const bool noWait = pacer.WaitMs(now) == 0;
                if (due != noWait || due != (now >= dueAt)) {
                    ADD_FAILURE() << "frame " << k << " at " << now << ": Due " << pacer.Due(now) << ", WaitMs "
                                  << pacer.WaitMs(now) << ", due at " << dueAt;
                    ++failures;
                }
            }
            if (k > 0) {
                const int64_t previous = 1000 + DueAfterMs(k - 1, us);
                EXPECT_EQ(dueAt - previous, pacer.WaitMs(previous)) << "frame " << k;
            }
            pacer.Taken(1);
        }
    }
}

// The source over every pace, a reader late by 0 or 7 ms after each sleep,
// blocks of 70 and 4096 bytes: every byte once, in order, nothing beyond the
// recording, no frame before it is due, and the end reached.
TEST(RecordingSource, EveryByteOnceInOrderAndNoFrameEarlyAtEveryPace) {
    for (double interval : EveryInterval()) {
        const int64_t us = IntervalUs(interval);
        const int frames = interval > 1000 ? 6 : 100;
        testsupport::RecordingBuilder recording;
        recording.Noise(5)
            .Frames(frames / 2)
            .Noise(40)
            .Frame(2, 400)
            .Noise(300)
            .Frames(frames - frames / 2 - 1, 900)
            .CutOffTail(4);
        for (int64_t overshoot : {0, 7}) {
            for (size_t capacity : {size_t{70}, size_t{4096}}) {
                SCOPED_TRACE("interval " + std::to_string(interval) + " ms, oversleeping " + std::to_string(overshoot) +
                             " ms, blocks of " + std::to_string(capacity));
                testsupport::OversleepingClock clock(overshoot);
                radar::RecordingSource source([&clock] { return clock.Now(); },
                                              [&clock](int64_t ms) { clock.Sleep(ms); });
                ASSERT_EQ(radar::ReplayProblem::None, source.Open(TempFileWith(recording.Bytes())));
                source.PrepareStart(interval);
                const int64_t start = clock.Now();
                // Room beyond the capacity, filled with a mark: nothing is written past it.
                std::vector<uint8_t> block(capacity + 16, 0xEE);
                Bytes given;
                size_t nextFrame = 0;
                bool ended = false;
                int early = 0;
                for (int guard = 0; guard < 2000000 && !ended; ++guard) {
                    const int n = source.Read(block.data(), capacity, 100);
                    if (n < 0) {
                        ended = true;
                        break;
                    }
                    ASSERT_LE(static_cast<size_t>(n), capacity);
                    ASSERT_EQ(0xEE, block[capacity]) << "written beyond the block";
                    ASSERT_LE(given.size() + n, recording.Bytes().size()) << "more than the recording";
                    given.insert(given.end(), block.begin(), block.begin() + n);
                    for (; nextFrame < recording.FrameEnds().size() && recording.FrameEnds()[nextFrame] <= given.size();
                         ++nextFrame) {
                        const int64_t dueAt = start + DueAfterMs(nextFrame, us);
                        if (clock.Now() < dueAt && early++ < 3)
                            ADD_FAILURE()
                                << "frame " << nextFrame << " given at " << clock.Now() << ", due at " << dueAt;
                    }
                }
                EXPECT_TRUE(ended) << "the end never came";
                EXPECT_TRUE(source.AtEnd());
                ASSERT_EQ(recording.Bytes().size(), given.size());
                EXPECT_TRUE(recording.Bytes() == given) << "bytes changed or out of order";
                EXPECT_EQ(static_cast<uint64_t>(recording.FrameCount()), source.FramesGiven());
                EXPECT_EQ(static_cast<uint64_t>(recording.FrameCount()), source.TotalFrames());
                // The exact schedule, by the microsecond rounding at most half a microsecond a frame off.
                const double lastExact = (recording.FrameCount() - 1) * interval;
                EXPECT_LE(static_cast<double>(DueAfterMs(recording.FrameCount() - 1, us)),
                          std::ceil(lastExact + recording.FrameCount() * 0.0005));
                if (HasFatalFailure()) return;
            }
        }
    }
}

// A file over bytes of the test's own (glibc's fopencookie): it can fail
// from a given offset on (EIO, a share gone) and read slowly (a slow disk).
struct TestFile {
    std::vector<uint8_t> bytes;
    std::atomic<size_t> failAt{SIZE_MAX};
    int delayMs = 0;
    size_t pos = 0;

    static ssize_t Read(void* cookie, char* out, size_t size) {
        TestFile& f = *static_cast<TestFile*>(cookie);
        if (f.delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(f.delayMs));
        if (f.pos >= f.failAt) {
            errno = EIO;
            return -1;
        }
        size_t n = std::min({size, f.bytes.size() - std::min(f.pos, f.bytes.size()), f.failAt - f.pos, size_t{4096}});
        std::memcpy(out, f.bytes.data() + f.pos, n);
        f.pos += n;
        return static_cast<ssize_t>(n);
    }
    static int Seek(void* cookie, off64_t* offset, int whence) {
        TestFile& f = *static_cast<TestFile*>(cookie);
        const off64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<off64_t>(f.pos)
                                                  : static_cast<off64_t>(f.bytes.size());
        if (base + *offset < 0) return -1;
        f.pos = static_cast<size_t>(base + *offset);
        *offset = static_cast<off64_t>(f.pos);
        return 0;
    }
    // A stream over this (which must outlive it).
    std::FILE* Open() {
        pos = 0;
        cookie_io_functions_t io = {Read, nullptr, Seek, nullptr};
        return fopencookie(this, "rb", io);
    }
};

// A read error in the middle is no end: what was read before it comes out
// paced, then Read ends with the error told (its errno), AtEnd stays false;
// the next start goes on where the reading failed, not from the beginning.
TEST(RecordingSource, AReadErrorMidwayIsToldAndTheNextStartGoesOnWhereItFailed) {
    for (size_t failAt : {size_t{350}, size_t{353}, size_t{5000}}) {
        SCOPED_TRACE("failing at byte " + std::to_string(failAt));
        testsupport::RecordingBuilder recording;
        recording.Frames(1000).CutOffTail(2);
        TestFile file;
        file.bytes = recording.Bytes();
        FakeTimeSource fake;
        ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(file.Open()));
        EXPECT_EQ(1000u, fake.source.TotalFrames());
        file.failAt = failAt;  // the share drops
        fake.source.PrepareStart(50.0 / 3);
        Bytes first = fake.ReadAll(nullptr, SIZE_MAX, 70);
        EXPECT_TRUE(fake.source.ReadFailed());
        EXPECT_EQ(EIO, fake.source.ReadErrno());
        EXPECT_FALSE(fake.source.AtEnd()) << "a read error taken for the end";
        EXPECT_EQ(failAt / 7 * 7, first.size()) << "every whole frame read before the error, no more";
        EXPECT_EQ(failAt / 7, fake.source.FramesGiven());
        EXPECT_TRUE(std::equal(first.begin(), first.end(), recording.Bytes().begin()));
        uint8_t byte = 0;
        EXPECT_EQ(-1, fake.source.Read(&byte, 1, 100)) << "still failed until the next start";

        file.failAt = SIZE_MAX;  // the share is back
        fake.source.PrepareStart(50.0 / 3);
        EXPECT_FALSE(fake.source.ReadFailed());
        const Bytes rest = fake.ReadAll();
        first.insert(first.end(), rest.begin(), rest.end());
        EXPECT_TRUE(recording.Bytes() == first) << "not resumed where it failed: " << first.size() << " bytes";
        EXPECT_TRUE(fake.source.AtEnd());
        EXPECT_EQ(1000u, fake.source.FramesGiven());
    }
}

// The frames are counted on the source's own thread from a second handle:
// Open returns before the count, TotalFrames is 0 (not known) until it
// arrives; a source reopened or destroyed mid-count joins its count.
TEST(RecordingSource, CountsTheFramesInTheBackgroundAndJoinsTheCountOnReopenAndDestruction) {
    testsupport::RecordingBuilder recording;
    recording.Noise(9).Frames(60000).Noise(100).Frames(5).CutOffTail(3);  // 420 kB: ~100 slow reads
    TestFile file, slow;
    file.bytes = slow.bytes = recording.Bytes();
    slow.delayMs = 2;
    {
        FakeTimeSource fake;
        const auto began = std::chrono::steady_clock::now();
        ASSERT_EQ(radar::ReplayProblem::None, fake.source.Open(file.Open(), slow.Open()));
        const double openMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
        EXPECT_FALSE(fake.source.TotalKnown()) << "counted before Open returned (" << openMs << " ms)";
        EXPECT_EQ(0u, fake.source.TotalFrames());
        // Playing while the count runs.
        fake.source.PrepareStart(0);
        EXPECT_TRUE(recording.Bytes() == fake.ReadAll());
        for (int i = 0; i < 1000 && !fake.source.TotalKnown(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(fake.source.TotalKnown()) << "the count never came";
        EXPECT_EQ(60005u, fake.source.TotalFrames());
    }
    // Reopened mid-count (twice), then destroyed mid-count.
    TestFile slow2, slow3;
    slow2.bytes = slow3.bytes = recording.Bytes();
    slow2.delayMs = slow3.delayMs = 2;
    TestFile file2, file3;
    file2.bytes = file3.bytes = recording.Bytes();
    auto source = std::make_unique<radar::RecordingSource>();
    ASSERT_EQ(radar::ReplayProblem::None, source->Open(file.Open(), slow.Open()));
    ASSERT_EQ(radar::ReplayProblem::None, source->Open(file2.Open(), slow2.Open()));
    EXPECT_FALSE(source->TotalKnown());
    EXPECT_EQ(radar::ReplayProblem::Empty, source->Open(TempFileWith({}), slow3.Open()));
    EXPECT_FALSE(source->TotalKnown());
    ASSERT_EQ(radar::ReplayProblem::None, source->Open(file3.Open(), slow3.Open()));
    const auto began = std::chrono::steady_clock::now();
    source.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(2)) << "the count was not stopped";
}

}  // namespace
