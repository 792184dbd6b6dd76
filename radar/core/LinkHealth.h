// How well the line from the module works during a run: reports, frames with
// a broken trailer, resyncs (places where the stream lost its frame
// alignment and found it again, counted as the recording statistics count
// them: each run of bytes outside any frame that ends at a frame) and port
// losses (the port seen away after it was there).
//
// Windows-free. Threads: the acquisition thread counts what the parser finds
// (OnReport, OnBadTrailer, OnSkippedBytes); the user-interface thread counts
// port losses, resets between runs (no thread running) and reads Figures at
// any time. Every figure is an atomic; the run of skipped bytes not yet ended
// belongs to the acquisition thread alone.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace radar {

struct LinkHealthFigures {
    uint64_t reports = 0;
    uint64_t badTrailers = 0;
    uint64_t resyncs = 0;
    uint64_t portLosses = 0;
};

class LinkHealthCounters {
public:
    // User-interface thread, while no acquisition thread runs.
    void Reset();
    // Acquisition thread.
    void OnReport();
    void OnBadTrailer();
    void OnSkippedBytes(size_t count);
    // User-interface thread.
    void OnPortLost() { m_portLosses.fetch_add(1, std::memory_order_relaxed); }
    // Any thread.
    LinkHealthFigures Figures() const;

private:
    std::atomic<uint64_t> m_reports{0};
    std::atomic<uint64_t> m_badTrailers{0};
    std::atomic<uint64_t> m_resyncs{0};
    std::atomic<uint64_t> m_portLosses{0};
    size_t m_pendingSkipped = 0;  // acquisition thread (Reset: while it does not run)
};

// Reports per second between two readings of the report count, elapsedMs
// apart, rounded to a whole number; 0 when no time passed.
uint64_t ReportsPerSecond(uint64_t reportsBefore, uint64_t reportsNow, uint64_t elapsedMs);

// The health line: format's "{0}" is the reports per second, "{1}" the
// broken trailers, "{2}" the resyncs, "{3}" the port losses.
std::wstring HealthLine(const std::wstring& format, uint64_t reportsPerSecond, const LinkHealthFigures& figures);

}  // namespace radar
