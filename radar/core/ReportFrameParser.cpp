#include "ReportFrameParser.h"

#include "RadarProtocol.h"
#include "Tavo_Common.h"

namespace radar {

size_t ScanReportFrames(const uint8_t* data, size_t size, IReportFrameSink& sink) {
    if (!data) return 0;
    size_t pos = 0;
    size_t skipped = 0;  // since the last frame told
    while (pos + kReportFrameSize <= size) {
        const uint8_t* frame = data + pos;
        if (!radarproto::HasReportHeader(frame)) {
            ++pos;
            ++skipped;
            continue;
        }
        if (!radarproto::HasReportTrailer(frame)) {
            sink.OnInvalidTrailer();
            ++pos;
            ++skipped;
            continue;
        }
        if (skipped > 0) sink.OnSkippedBytes(skipped);
        skipped = 0;
        const radarproto::Report report = radarproto::DecodeReport(frame);
        sink.OnReportFrame(report.state, report.distance);
        pos += kReportFrameSize;
    }
    if (skipped > 0) sink.OnSkippedBytes(skipped);
    return pos;
}

void ScanReportBuffer(CBaseBuffer& buffer, IReportFrameSink& sink) {
    const int avail = buffer.GetAvailSize();
    if (avail < static_cast<int>(kReportFrameSize)) return;
    const uint8_t* base = buffer.GetBuffer();
    const size_t consumed = ScanReportFrames(base, static_cast<size_t>(avail), sink);
    if (consumed == 0) return;
    // The rest lies inside the buffer's own storage, which SetBuffer allows.
    buffer.SetBuffer(base + consumed, avail - static_cast<int>(consumed));
}

}  // namespace radar
