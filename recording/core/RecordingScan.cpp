#include "RecordingScan.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <memory>

namespace recording {

namespace {
constexpr size_t kFrame = radar::kReportFrameSize;
}

RecordingScanner::RecordingScanner(IReportConsumer& consumer) : m_consumer(consumer), m_buffer(kBlockSize + kFrame) {}

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
    // Segment by segment: a fast pass of the parser over a segment; when it
    // found only back-to-back frames from the segment's start, their offsets
    // follow from their order. Otherwise (noise, a broken trailer) the same
    // segment is walked one frame window at a time, which gives each frame's
    // offset and each skipped byte. The parser decides at each position from
    // the seven bytes there alone, so both walks stop at the same place.
    size_t pos = 0;
    while (pos + kFrame <= m_used) {
        const size_t size = std::min(kSegment, m_used - pos);
        m_pendingCount = 0;
        m_passTrailers = 0;
        const size_t consumed = radar::ScanReportFrames(m_buffer.data() + pos, size, *this);
        if (consumed == m_pendingCount * kFrame && m_passTrailers == 0) {
            Deliver(m_bufferOffset + pos, m_pendingCount);
            pos += consumed;
        } else {
            ScanOneByOne(pos, pos + size);
        }
    }
    m_pendingCount = 0;
    // What is left is shorter than a frame: the start of one not yet complete.
    std::memmove(m_buffer.data(), m_buffer.data() + pos, m_used - pos);
    m_used -= pos;
    m_bufferOffset += pos;
}

void RecordingScanner::ScanOneByOne(size_t& pos, size_t end) {
    while (pos + kFrame <= end) {
        m_pendingCount = 0;
        m_passTrailers = 0;
        // Exactly one frame window: the parser either takes a frame (7) or
        // moves on by one byte (1), noting a bad trailer when it saw one.
        const size_t step = radar::ScanReportFrames(m_buffer.data() + pos, kFrame, *this);
        m_counts.badTrailers += m_passTrailers;
        if (step == kFrame && m_pendingCount == 1) {
            Deliver(m_bufferOffset + pos, 1);
            pos += kFrame;
        } else {
            pos += 1;
        }
    }
}

void RecordingScanner::Deliver(uint64_t offset, size_t count) {
    if (count == 0) return;
    if (offset > m_runStart) {
        ++m_counts.resyncs;
        m_counts.skippedBytes += offset - m_runStart;
    }
    for (size_t i = 0; i < count; ++i) {
        m_pending[i].index = m_counts.reports + i;
        m_pending[i].offset = offset + i * kFrame;
    }
    m_counts.reports += count;
    m_runStart = offset + count * kFrame;
    m_consumer.OnReports(m_pending, count);
}

void RecordingScanner::OnReportFrame(uint8_t state, uint16_t distance) {
    // A segment holds at most kSegment / 7 frames; were there more, the fast
    // check would fail and the slow walk take over.
    if (m_pendingCount < sizeof m_pending / sizeof m_pending[0]) {
        m_pending[m_pendingCount].state = state;
        m_pending[m_pendingCount++].distance = distance;
    }
}

void RecordingScanner::OnInvalidTrailer() { ++m_passTrailers; }

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
        const size_t n = std::fread(space, 1, room, file.get());
        scanner.Commit(n);
        if (n < room) break;
    }
    const bool failed = std::ferror(file.get()) != 0;
    scanner.Finish();
    if (failed && error) *error = "cannot read " + path + ": " + std::strerror(errno ? errno : EIO);
    return !failed;
}

}  // namespace recording
