#include "RecordingScan.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>

#include "FrameBlocks.h"

namespace recording {

namespace {
constexpr size_t kFrame = radar::kReportFrameSize;
}

void IReportConsumer::OnFrames(const uint8_t* frames, size_t count, uint64_t firstIndex, uint64_t firstOffset) {
    Report batch[128];
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(count - done, sizeof batch / sizeof batch[0]);
        for (size_t i = 0; i < n; ++i) {
            const radarproto::Report decoded = radarproto::DecodeReport(frames + (done + i) * kFrame);
            batch[i].index = firstIndex + done + i;
            batch[i].offset = firstOffset + (done + i) * kFrame;
            batch[i].state = decoded.state;
            batch[i].distance = decoded.distance;
        }
        OnReports(batch, n);
        done += n;
    }
}

RecordingScanner::RecordingScanner(IReportConsumer& consumer)
    : m_consumer(consumer), m_statesOnly(consumer.StatesOnly()), m_buffer(kBlockSize + kFrame) {}

void RecordingScanner::Feed(const uint8_t* data, size_t size) {
    while (size > 0) {
        size_t room = 0;
        uint8_t* space = Space(&room);
        const size_t n = size < room ? size : room;
        std::memcpy(space, data, n);
        Commit(n);
        data += n;
        size -= n;
    }
}

uint8_t* RecordingScanner::Space(size_t* room) {
    *room = m_buffer.size() - m_used;
    return m_buffer.data() + m_used;
}

void RecordingScanner::Commit(size_t n) {
    if (n > m_buffer.size() - m_used) n = m_buffer.size() - m_used;
    m_used += n;
    m_counts.bytes += n;
    Scan();
}

void RecordingScanner::Scan() {
    // Runs of back-to-back frames are found by testing each frame's header
    // and trailer where the previous frame ended, and handed on as they lie
    // in the buffer. Where that test fails, the parser takes one frame window
    // and decides there (a frame, or a step of one byte with or without a bad
    // trailer). The parser decides at each position from the seven bytes
    // there alone, and a window that passes the test is a frame to it, so
    // the two together find exactly the frames the parser finds.
    size_t pos = 0;
    while (pos + kFrame <= m_used) {
        const uint8_t* const first = m_buffer.data() + pos;
        const size_t n = WholeFrames(first, (m_used - pos) / kFrame, m_statesOnly);
        if (n == 0) {
            ScanOneWindow(pos);
            continue;
        }
        const uint64_t offset = m_bufferOffset + pos;
        const uint64_t index = m_counts.reports;
        CountDelivery(offset, n);
        if (m_statesOnly)
            m_consumer.OnStateRun(first[radarproto::kReportStateOffset], n);
        else
            m_consumer.OnFrames(first, n, index, offset);
        pos += n * kFrame;
    }
    // What is left is shorter than a frame: the start of one not yet complete.
    std::memmove(m_buffer.data(), m_buffer.data() + pos, m_used - pos);
    m_used -= pos;
    m_bufferOffset += pos;
}

size_t RecordingScanner::WholeFrames(const uint8_t* first, size_t most, bool sameState) const {
    const uint8_t state = first[radarproto::kReportStateOffset];
    size_t n = 0;
    if (most >= blocks::kFrames) {
        const blocks::Expectation expect = blocks::Expect(sameState, state);
        while (n + blocks::kFrames <= most && blocks::Matches(first + n * kFrame, expect)) n += blocks::kFrames;
    }
    for (; n < most; ++n) {
        const uint8_t* frame = first + n * kFrame;
        if (!radarproto::HasReportHeader(frame) || !radarproto::HasReportTrailer(frame)) break;
        if (sameState && frame[radarproto::kReportStateOffset] != state) break;
    }
    return n;
}

void RecordingScanner::ScanOneWindow(size_t& pos) {
    m_windowFrames = 0;
    m_windowTrailers = 0;
    // Exactly one frame window: the parser either takes a frame (7) or
    // moves on by one byte (1), noting a bad trailer when it saw one.
    const size_t step = radar::ScanReportFrames(m_buffer.data() + pos, kFrame, *this);
    m_counts.badTrailers += m_windowTrailers;
    if (step == kFrame && m_windowFrames == 1) {
        m_windowFrame.offset = m_bufferOffset + pos;
        m_windowFrame.index = m_counts.reports;
        CountDelivery(m_windowFrame.offset, 1);
        m_consumer.OnReports(&m_windowFrame, 1);
        pos += kFrame;
    } else {
        pos += 1;
    }
}

void RecordingScanner::CountDelivery(uint64_t offset, size_t count) {
    if (offset > m_runStart) {
        ++m_counts.resyncs;
        m_counts.skippedBytes += offset - m_runStart;
    }
    m_counts.reports += count;
    m_runStart = offset + count * kFrame;
}

void RecordingScanner::OnReportFrame(uint8_t state, uint16_t distance) {
    ++m_windowFrames;
    m_windowFrame.state = state;
    m_windowFrame.distance = distance;
}

void RecordingScanner::OnInvalidTrailer() { ++m_windowTrailers; }

void RecordingScanner::Finish() { m_counts.trailingBytes = m_counts.bytes - m_runStart; }

bool ScanFile(const std::string& path, RecordingScanner& scanner, std::string* error) {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    errno = 0;
    std::unique_ptr<std::FILE, Closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        if (error) *error = "cannot open " + path + ": " + std::strerror(errno ? errno : ENOENT);
        return false;
    }
    for (;;) {
        size_t room = 0;
        uint8_t* space = scanner.Space(&room);
        // Whole blocks keep every read at a block boundary of the file, which
        // the C library hands over in one system call and one copy.
        const size_t want = std::min(room, RecordingScanner::kBlockSize);
        const size_t n = std::fread(space, 1, want, file.get());
        scanner.Commit(n);
        if (n < want) break;
    }
    const bool failed = std::ferror(file.get()) != 0;
    scanner.Finish();
    if (failed && error) *error = "cannot read " + path + ": " + std::strerror(errno ? errno : EIO);
    return !failed;
}

}  // namespace recording
