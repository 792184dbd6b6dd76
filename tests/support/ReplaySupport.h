// What the replay tests share: a recording built from report frames (the
// protocol library's encoder), noise and a cut-off tail, and a clock that
// only moves when slept on and oversleeps by a fixed amount, as a loaded
// machine does. Windows-free: builds for the host and for Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace testsupport {

// A recording as the tool writes it, built piece by piece.
class RecordingBuilder {
public:
    // count report frames, state i % 3 and distance firstDistance + i (mod 65536).
    RecordingBuilder& Frames(int count, int firstDistance = 100);
    RecordingBuilder& Frame(uint8_t state, uint16_t distance);
    // count frames of one state and distance.
    RecordingBuilder& Run(uint8_t state, uint16_t distance, int count);
    // Bytes that are no frame (none of them begins one).
    RecordingBuilder& Noise(size_t count, uint8_t byte = 0x20);
    // The first bytes of a frame the recording stopped in (1 to 6).
    RecordingBuilder& CutOffTail(size_t bytes = 3);

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::string Text() const { return std::string(m_bytes.begin(), m_bytes.end()); }
    // Whole report frames in it, and the offset just after each.
    int FrameCount() const { return static_cast<int>(m_frameEnds.size()); }
    const std::vector<size_t>& FrameEnds() const { return m_frameEnds; }

private:
    std::vector<uint8_t> m_bytes;
    std::vector<size_t> m_frameEnds;
};

// A temporary file holding bytes, read from its start (null when none can be
// made); removed when closed.
std::FILE* TempFileWith(const std::vector<uint8_t>& bytes);

// Milliseconds that pass only when the code under test sleeps (or the test
// moves them); every sleep takes overshootMs longer than asked.
struct OversleepingClock {
    explicit OversleepingClock(int64_t overshootMs = 0, int64_t startMs = 1000)
        : overshoot(overshootMs), now(startMs) {}
    int64_t Now() const { return now; }
    void Sleep(int64_t ms) {
        ++sleeps;
        now += (ms > 0 ? ms : 0) + overshoot;
    }

    int64_t overshoot;
    int64_t now;
    uint64_t sleeps = 0;
};

}  // namespace testsupport
