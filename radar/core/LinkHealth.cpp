#include "LinkHealth.h"

#include "ChartReadout.h"

namespace radar {

void LinkHealthCounters::Reset() {
    m_reports = 0;
    m_badTrailers = 0;
    m_resyncs = 0;
    m_portLosses = 0;
    m_pendingSkipped = 0;
}

void LinkHealthCounters::OnReport() {
    // A frame ends the run of skipped bytes before it: the stream is aligned again.
    if (m_pendingSkipped > 0) {
        m_pendingSkipped = 0;
        m_resyncs.fetch_add(1, std::memory_order_relaxed);
    }
    m_reports.fetch_add(1, std::memory_order_relaxed);
}

void LinkHealthCounters::OnBadTrailer() { m_badTrailers.fetch_add(1, std::memory_order_relaxed); }

void LinkHealthCounters::OnSkippedBytes(size_t count) { m_pendingSkipped += count; }

LinkHealthFigures LinkHealthCounters::Figures() const {
    LinkHealthFigures f;
    f.reports = m_reports.load(std::memory_order_relaxed);
    f.badTrailers = m_badTrailers.load(std::memory_order_relaxed);
    f.resyncs = m_resyncs.load(std::memory_order_relaxed);
    f.portLosses = m_portLosses.load(std::memory_order_relaxed);
    return f;
}

uint64_t ReportsPerSecond(uint64_t reportsBefore, uint64_t reportsNow, uint64_t elapsedMs) {
    if (elapsedMs == 0 || reportsNow < reportsBefore) return 0;
    return ((reportsNow - reportsBefore) * 1000 + elapsedMs / 2) / elapsedMs;
}

std::wstring HealthLine(const std::wstring& format, uint64_t reportsPerSecond, const LinkHealthFigures& figures) {
    return FillPlaceholders(format, {std::to_wstring(reportsPerSecond), std::to_wstring(figures.badTrailers),
                                     std::to_wstring(figures.resyncs), std::to_wstring(figures.portLosses)});
}

}  // namespace radar
