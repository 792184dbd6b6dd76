// Cutting the module's 7-byte report frames (AA AA, state, distance LE, 55 55)
// out of a received byte stream. Windows-free: the acquisition thread uses it
// on its receive buffer, the host tests and benchmarks use it directly.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RadarProtocol.h"

class CBaseBuffer;

namespace radar {

constexpr size_t kReportFrameSize = radarproto::kReportSize;

// What the scan reports, in stream order.
class IReportFrameSink {
public:
    virtual ~IReportFrameSink() = default;
    // A whole frame: its state byte and its distance in centimetres.
    virtual void OnReportFrame(uint8_t state, uint16_t distance) = 0;
    // A header whose trailer does not match; the scan moves on by one byte.
    virtual void OnInvalidTrailer() = 0;
    // Bytes the scan passed over outside any frame (a header with a broken
    // trailer included), told before the frame that follows them and, for
    // those at the end of a scan, before it returns. Nothing by default.
    virtual void OnSkippedBytes(size_t count) {}
};

// Scans data for frames while at least seven bytes remain from the current
// position: bytes that do not begin with AA AA are skipped one at a time
// silently, a header with a wrong trailer is reported and skipped by one byte,
// a whole frame is reported and skipped. Only positions 0, 1, 5 and 6 are
// tested, so a state of 0xAA or distance bytes of 0x55 are accepted. Returns
// the number of bytes consumed; the rest (fewer than seven bytes, the start
// of a frame not yet complete) is for the next scan.
size_t ScanReportFrames(const uint8_t* data, size_t size, IReportFrameSink& sink);

// The same on a receive buffer, keeping only the unconsumed rest in it.
void ScanReportBuffer(CBaseBuffer& buffer, IReportFrameSink& sink);

}  // namespace radar
