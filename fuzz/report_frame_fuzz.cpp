// Fuzzes the report-frame scanner with arbitrary received bytes. Beyond not
// crashing:
//   - no more frames than bytes / 7;
//   - every frame reported is an AA AA s d d 55 55 block of the input, in
//     stream order and without overlap, and carries that block's state and
//     distance;
//   - the scan consumes everything but a rest of at most six bytes;
//   - feeding the same bytes through a receive buffer in pieces (cut where
//     the first byte says) gives exactly the same events, and after every
//     scan the buffer holds at most six bytes: the input's last ones.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "ReportFrameParser.h"
#include "Tavo_Common.h"

namespace {

// Events in order: a frame as (state << 16 | distance), an invalid trailer as -1.
class Recorder : public radar::IReportFrameSink {
public:
    void OnReportFrame(uint8_t state, uint16_t distance) override {
        events.push_back(static_cast<long>(state) << 16 | distance);
        ++frames;
    }
    void OnInvalidTrailer() override { events.push_back(-1); }
    std::vector<long> events;
    size_t frames = 0;
};

bool IsFrameAt(const uint8_t* p) { return p[0] == 0xAA && p[1] == 0xAA && p[5] == 0x55 && p[6] == 0x55; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzzsupport::CutInput input(data, size);
    const uint8_t* stream = input.stream;
    const size_t length = input.length;

    Recorder whole;
    const size_t consumed = radar::ScanReportFrames(stream, length, whole);
    Check(consumed <= length);
    Check(length - consumed <= radar::kReportFrameSize - 1);
    Check(whole.frames <= length / radar::kReportFrameSize);

    // Each reported frame is the next whole frame of the input from where the
    // previous one ended (the scanner skips everything else byte by byte).
    size_t at = 0;
    for (long event : whole.events) {
        if (event < 0) continue;
        while (at + radar::kReportFrameSize <= length && !IsFrameAt(stream + at)) ++at;
        Check(at + radar::kReportFrameSize <= length);
        const uint8_t* f = stream + at;
        Check(event == (static_cast<long>(f[2]) << 16 | (f[3] | f[4] << 8)));
        at += radar::kReportFrameSize;
    }
    Check(at <= consumed);

    // The same bytes through a receive buffer, in pieces.
    Recorder pieces;
    CBaseBuffer buffer;
    size_t fed = 0;
    while (fed < length) {
        const size_t n = input.NextPiece(fed);
        Check(buffer.AppendBuffer(stream + fed, static_cast<int>(n)) >= 0);
        fed += n;
        radar::ScanReportBuffer(buffer, pieces);
        const int kept = buffer.GetAvailSize();
        Check(kept >= 0 && kept <= static_cast<int>(radar::kReportFrameSize) - 1);
        if (kept > 0) Check(std::memcmp(buffer.GetBuffer(), stream + fed - kept, static_cast<size_t>(kept)) == 0);
    }
    Check(pieces.events == whole.events);
    if (length > 0) Check(static_cast<size_t>(buffer.GetAvailSize()) == length - consumed);
    return 0;
}
