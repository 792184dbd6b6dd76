// Fuzzes the replay pacer and source: the speed, the report period, the
// reader's block size and lateness, the clock's oversleeping and the
// recording's bytes all come from the input. Beyond not crashing:
//   - the pacer's Due and WaitMs agree at every moment asked: a frame is due
//     exactly when no wait is left;
//   - no Read hands out more than its capacity or writes beyond it;
//   - what was given is always the recording's beginning, and at the end the
//     whole recording: every byte once, in order, never more;
//   - no report frame (its last byte) is given before it is due: frame k of
//     a schedule at its start + DueAtMs(k);
//   - the end comes, and the source counts every frame.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "RecordingScan.h"
#include "ReplaySupport.h"
#include "replay/RecordingSource.h"

namespace {

struct Ends : recording::IReportConsumer {
    void OnReport(const recording::Report& report) override { ends.push_back(report.offset + 7); }
    std::vector<uint64_t> ends;
};

// Input: speed (2 bytes), period (2), block size (1), maxWait (1), clock
// oversleep steps (4), reader lateness steps (4), a speed change after so
// many reads (1, 0: none) and its speed (1); then the recording.
constexpr size_t kHead = 16;

double SpeedOf(unsigned raw) {
    static const double menu[] = {1, 5, 20, 3, 1.5, 0.3, 0.01, 1000, 999.9, 33.3};
    if (raw < 10 * 256) return menu[raw % 10];
    return 0.01 * std::pow(10.0, 5.0 * raw / 65535.0);  // 0.01 to 1000
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead) return 0;
    const double speed = SpeedOf(data[0] | data[1] << 8);
    const int period = 1 + (data[2] | data[3] << 8) % 15000;
    static const size_t blocks[] = {1, 6, 7, 8, 70, 4096};
    const size_t capacity = data[4] < 6 ? blocks[data[4]] : data[4] * 17u;
    // A wait of 1 to 1021 ms per read, but at least a 32nd of the longest
    // interval: a bounded number of reads per frame.
    const double longest = period / std::min(speed, SpeedOf(data[15] * 257u));
    const int maxWait = std::max(1 + data[5] * 4, static_cast<int>(longest / 32));
    const uint8_t* oversleep = data + 6;
    const uint8_t* lateness = data + 10;
    const unsigned changeAfter = data[14];
    const double changedSpeed = SpeedOf(data[15] * 257u);
    const std::vector<uint8_t> recording(data + kHead, data + size);

    // The pacer alone: Due and WaitMs at and around every due time.
    {
        radar::ReplayPacer pacer;
        pacer.SetIntervalMs(period / speed);
        pacer.Restart(500);
        for (int k = 0; k < 40; ++k) {
            const int64_t at = 500 + pacer.DueAtMs(static_cast<uint64_t>(k));
            for (int64_t now = at - 2; now <= at + 2; ++now) {
                if (now < 500) continue;
                Check((pacer.Due(now) > 0) == (pacer.WaitMs(now) == 0));
                Check((pacer.Due(now) > 0) == (now >= at));
            }
            pacer.Taken(1);
        }
    }

    Ends frames;
    {
        recording::RecordingScanner scanner(frames);
        scanner.Feed(recording.data(), recording.size());
        scanner.Finish();
    }

    testsupport::OversleepingClock clock(0, 1000);
    uint64_t sleeps = 0;
    radar::RecordingSource source([&clock] { return clock.Now(); },
                                  [&](int64_t ms) {
                                      clock.overshoot = oversleep[sleeps++ % 4] & 0x1F;
                                      clock.Sleep(ms);
                                  });
    std::FILE* file = std::tmpfile();
    if (!file) return 0;
    if (!recording.empty()) std::fwrite(recording.data(), 1, recording.size(), file);
    std::rewind(file);
    if (source.Open(file) != radar::ReplayProblem::None) return 0;
    Check(!frames.ends.empty());
    Check(source.TotalFrames() == frames.ends.size());

    double interval = period / speed;
    source.PrepareStart(interval);
    radar::ReplayPacer schedule;  // the test's own: when each frame is due
    schedule.SetIntervalMs(interval);
    bool restart = true;
    uint64_t framesAtRestart = 0;
    int64_t restartMs = 0;

    std::vector<uint8_t> block(capacity + 8);
    std::vector<uint8_t> given;
    size_t nextFrame = 0;
    bool ended = false;
    for (unsigned reads = 0; reads < 200000 && !ended; ++reads) {
        if (changeAfter != 0 && reads == changeAfter) {
            interval = period / changedSpeed;
            source.ChangeInterval(interval);
            schedule.SetIntervalMs(interval);
            restart = true;
        }
        clock.now += lateness[reads % 4] & 0x0F;
        if (restart) {
            // The source restarts its schedule at the first clock reading of the Read.
            restartMs = clock.Now();
            schedule.Restart(restartMs);
            framesAtRestart = nextFrame;
            restart = false;
        }
        std::memset(block.data(), 0xEE, block.size());
        const int n = source.Read(block.data(), capacity, maxWait);
        if (n < 0) {
            ended = true;
            break;
        }
        Check(static_cast<size_t>(n) <= capacity);
        for (size_t i = capacity; i < block.size(); ++i) Check(block[i] == 0xEE);
        Check(given.size() + static_cast<size_t>(n) <= recording.size());
        Check(std::memcmp(block.data(), recording.data() + given.size(), static_cast<size_t>(n)) == 0);
        given.insert(given.end(), block.begin(), block.begin() + n);
        for (; nextFrame < frames.ends.size() && frames.ends[nextFrame] <= given.size(); ++nextFrame) {
            Check(clock.Now() >= restartMs + schedule.DueAtMs(nextFrame - framesAtRestart));
        }
    }
    Check(ended);
    Check(source.AtEnd());
    Check(given == recording);
    Check(source.FramesGiven() == frames.ends.size());
    return 0;
}
