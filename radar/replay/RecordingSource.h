// A recording (.dat) played back as if the module were sending it: the
// acquisition thread reads from it instead of the device, and gets the
// recorded bytes unchanged, each report frame when its time has come.
// Windows-free: the host tests drive it with their own clock.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RecordingScan.h"
#include "handles/UniqueHandleCore.h"

namespace radar {

// Frame k after a (re)start is due at start + ceil(k * interval), the
// interval in whole microseconds: the schedule never drifts, a late reader
// gets every frame that has come due at once. One integer formula (DueAtMs)
// answers both "how many are due" and "how long to wait", so the two can
// never disagree.
class ReplayPacer {
public:
    // Rounded to whole microseconds, at least 1 when above 0; 0 (or below,
    // or not a number): everything due at once.
    void SetIntervalMs(double intervalMs);
    int64_t IntervalUs() const { return m_intervalUs; }
    // The next frame is due at nowMs; the schedule goes on from there.
    void Restart(int64_t nowMs);
    // Frames due by nowMs and not yet taken.
    uint64_t Due(int64_t nowMs) const;
    // Milliseconds until the next frame is due; 0 when one is due now.
    int64_t WaitMs(int64_t nowMs) const;
    void Taken(uint64_t frames) { m_taken += frames; }

    // Milliseconds after the start at which frame k is due (saturated).
    int64_t DueAtMs(uint64_t k) const;

private:
    int64_t m_intervalUs = 0;
    int64_t m_startMs = 0;
    uint64_t m_taken = 0;
};

enum class ReplayProblem { None, CannotOpen, Empty, NotARecording, BadSpeed };

// Speed factor from the command line: a number from 0.01 to 1000.
bool ParseReplaySpeed(const std::string& text, double& speed);

class RecordingSource : private recording::IReportConsumer {
public:
    using Clock = std::function<int64_t()>;  // milliseconds, monotonic
    using Sleeper = std::function<void(int64_t ms)>;

    // Real time by default; tests give their own clock and sleep.
    RecordingSource(Clock clock = nullptr, Sleeper sleeper = nullptr);
    ~RecordingSource() override;

    // Takes the open file (null: it could not be opened) and checks that it
    // holds a report frame within its first megabyte. Its frames are counted
    // on a thread of the source's own from countFile, a second handle of the
    // same file (taken too; without one they are counted here, before Open
    // returns). A count still running is stopped and joined first.
    ReplayProblem Open(std::FILE* file, std::FILE* countFile = nullptr);

    // Before every start of playback (no Read running): back to the beginning
    // when the whole recording was played, and the schedule begins now, each
    // frame intervalMs after the one before. After a read error the reading
    // goes on where it failed (a share that came back), never from the start.
    void PrepareStart(double intervalMs);

    // For the acquisition thread. Waits at most maxWaitMs for the next frame
    // to come due, then copies the recorded bytes up to the end of every due
    // frame (noise between frames included) into out. Returns the number of
    // bytes, 0 when nothing came due in time, -1 once everything was given.
    int Read(uint8_t* out, size_t capacity, int maxWaitMs);

    // Everything was given (any thread).
    bool AtEnd() const { return m_atEnd.load(); }
    // Reading the file failed before its end (any thread): Read gave every
    // frame read before the failure, then -1; AtEnd stays false. The errno
    // of the failure (0 when the system gave none).
    bool ReadFailed() const { return m_readFailed.load(); }
    int ReadErrno() const { return m_readErrno.load(); }

    // While playing (any thread): from the next frame on, each frame
    // intervalMs after the one before; the next one is due at once.
    void ChangeInterval(double intervalMs);
    // The interval the playback was last started or changed to (any thread).
    double IntervalMs() const { return m_intervalMs.load(); }

    // Report frames in the whole recording, 0 until counted (TotalKnown),
    // and of them those given since the last rewind (any thread): where the
    // playback is.
    uint64_t TotalFrames() const { return m_totalFrames.load(); }
    bool TotalKnown() const { return m_totalKnown.load(); }
    uint64_t FramesGiven() const { return m_framesGiven.load(); }

private:
    void OnReport(const recording::Report& report) override;
    void Rewind();
    void StopCount();
    // Counts the report frames of file to its end, unless stopped.
    void Count(std::FILE* file);
    // Reads on until a frame's end is known, the file ends or too much noise waits.
    void ReadAhead();
    int Give(uint8_t* out, size_t count, uint64_t frames);

    static constexpr size_t kChunk = 4096;
    static constexpr size_t kMostWaiting = 64 * 1024;  // bytes held before noise is passed on unpaced

    Clock m_clock;
    Sleeper m_sleep;
    UniqueFileStream m_file;
    std::unique_ptr<recording::RecordingScanner> m_scanner;
    std::vector<uint8_t> m_waiting;    // read from the file, not given yet
    uint64_t m_givenOffset = 0;        // file offset of m_waiting[0]
    std::deque<uint64_t> m_frameEnds;  // file offsets just after frames found but not given
    bool m_fileDone = false;
    std::atomic<bool> m_atEnd{false};
    std::atomic<bool> m_readFailed{false};
    std::atomic<int> m_readErrno{0};
    bool m_restartSchedule = true;
    ReplayPacer m_pacer;                  // the reading thread's
    std::atomic<double> m_intervalMs{0};  // any thread writes; Read takes it on m_intervalChanged
    std::atomic<bool> m_intervalChanged{false};
    std::atomic<uint64_t> m_totalFrames{0};  // the count writes
    std::atomic<bool> m_totalKnown{false};
    std::atomic<bool> m_stopCount{false};
    UniqueFileStream m_countFile;  // the count thread's own
    std::thread m_counter;
    std::atomic<uint64_t> m_framesGiven{0};  // the reading thread writes
};

}  // namespace radar
