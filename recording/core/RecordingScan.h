// Walking a recording (.dat: the module's bytes exactly as received) frame by
// frame. The frame rules are the acquisition thread's own (ReportFrameParser);
// this adds where each frame lies in the file and what lies between frames.
// Windows-free, constant memory whatever the recording's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ReportFrameParser.h"

namespace recording {

// One accepted report frame.
struct Report {
    uint64_t index = 0;   // 0 for the first frame of the recording
    uint64_t offset = 0;  // byte offset of its first header byte in the file
    uint8_t state = 0;
    uint16_t distance = 0;  // cm
};

class IReportConsumer {
public:
    virtual ~IReportConsumer() = default;
    virtual void OnReport(const Report& report) = 0;
    // Reports in a row, in order: one call instead of many.
    virtual void OnReports(const Report* reports, size_t count) {
        for (size_t i = 0; i < count; ++i) OnReport(reports[i]);
    }
    // count whole frames lying back to back at frames (7 bytes each), the
    // first with the given index and file offset. By default decoded into
    // reports for OnReports; a consumer that needs few fields reads them here.
    virtual void OnFrames(const uint8_t* frames, size_t count, uint64_t firstIndex, uint64_t firstOffset);
    // A consumer that needs nothing of a report but its state says so: the
    // scanner then hands on runs of frames in one state, as a count, through
    // OnStateRun (and single reports through OnReports), never OnFrames.
    virtual bool StatesOnly() const { return false; }
    virtual void OnStateRun(uint8_t state, uint64_t count) {}
};

// What the scan met besides frames. Every byte of a recording is either in a
// frame, skipped or trailing: bytes == 7 * reports + skippedBytes + trailingBytes.
struct ScanCounts {
    uint64_t bytes = 0;
    uint64_t reports = 0;
    // Headers (AA AA) whose trailer was not 55 55; the scan moved on by one byte.
    uint64_t badTrailers = 0;
    // Runs of one or more bytes outside any frame that end at a frame: each is
    // one place where the stream lost its frame alignment and found it again.
    uint64_t resyncs = 0;
    uint64_t skippedBytes = 0;  // the bytes of those runs
    // Bytes after the last frame (all bytes when there is none): a frame cut
    // off by the end of the recording, or noise.
    uint64_t trailingBytes = 0;
};

// Feeds a recording in pieces of any size; reports reach the consumer in
// order. Holds at most one block of bytes.
class RecordingScanner : private radar::IReportFrameSink {
public:
    static constexpr size_t kBlockSize = 64 * 1024;

    explicit RecordingScanner(IReportConsumer& consumer);

    // Copies and scans data.
    void Feed(const uint8_t* data, size_t size);
    // Zero-copy feeding: up to room bytes may be written at the returned
    // place, then Commit(n) scans the n bytes written.
    uint8_t* Space(size_t* room);
    void Commit(size_t n);
    // The end of the recording: the bytes still waiting become trailing.
    void Finish();

    const ScanCounts& Counts() const { return m_counts; }

private:
    void Scan();
    // Frames back to back from first (at most most of them) that carry their
    // header and trailer, and with sameState, also the state of the first.
    size_t WholeFrames(const uint8_t* first, size_t most, bool sameState) const;
    // The parser over the one frame window at pos: a frame, or a step of one byte.
    void ScanOneWindow(size_t& pos);
    // Accounts for the bytes skipped before offset and the count frames from there.
    void CountDelivery(uint64_t offset, size_t count);
    void OnReportFrame(uint8_t state, uint16_t distance) override;
    void OnInvalidTrailer() override;

    IReportConsumer& m_consumer;
    const bool m_statesOnly;
    std::vector<uint8_t> m_buffer;  // kBlockSize plus room for a frame's start carried over
    size_t m_used = 0;              // bytes in m_buffer
    uint64_t m_bufferOffset = 0;    // file offset of m_buffer[0]
    uint64_t m_runStart = 0;        // file offset where the current run of non-frame bytes began
    ScanCounts m_counts;

    // What the parser found in one frame window.
    Report m_windowFrame;
    size_t m_windowFrames = 0;
    uint64_t m_windowTrailers = 0;
};

// Reads the file at path through the scanner in blocks. False, with a text
// for people in error, when it cannot be opened or read (the counts then
// cover what was read); Finish is called either way.
bool ScanFile(const std::string& path, RecordingScanner& scanner, std::string* error);

}  // namespace recording
