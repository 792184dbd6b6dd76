// The module's serial protocol (docs/protocol.md): command and reply frames,
// report frames and the parameter payloads. Windows-free: the device library
// and the module simulator share it, and the host tests and fuzzers run it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ByteOrder.h"

namespace radarproto {

// Command and reply frames.
constexpr uint8_t kHeader[2] = {0xC5, 0x5C};
constexpr uint8_t kTrailer[2] = {0x5C, 0xC5};
constexpr uint8_t kKindCommand = 0x01;
constexpr uint8_t kKindReply = 0x81;
constexpr size_t kMaxPayload = 1024;
constexpr size_t kFrameOverhead = 11;  // header, kind, code, length, CRC, trailer
// Unread bytes a FrameDecoder keeps at most; beyond it the oldest give way.
// Far more than a serial read delivers between two calls of Next.
constexpr size_t kMaxBuffered = 64 * 1024;

// Report frames: AA AA, state, distance (cm, little-endian), 55 55.
constexpr uint8_t kReportHeader = 0xAA;
constexpr uint8_t kReportTrailer = 0x55;
constexpr size_t kReportSize = 7;
constexpr size_t kReportStateOffset = 2;
constexpr size_t kReportDistanceOffset = 3;
constexpr size_t kReportTrailerOffset = 5;

enum Code : uint16_t {
    kEnterCommandMode = 0x01,
    kLeaveCommandMode = 0x02,
    kReadVersion = 0x03,
    kStartReporting = 0x10,
    kStopReporting = 0x11,
    kWriteGeneral = 0x67,     // ranges and hold time
    kWriteNoiseFloor = 0x68,  // four coefficients (floats)
    kWriteIIR = 0x69,
    kWriteWindow = 0x70,
    kWriteAlphaBeta = 0x71,  // four coefficients (floats)
    kWriteCalibration = 0x72,
    kReadParameters = 0x73,
};

enum Status : uint16_t {
    kStatusOk = 0x0000,
    kStatusUnknownCommand = 0x0001,
    kStatusNeedsCommandMode = 0x0002,
    kStatusBadLength = 0x0003,
    kStatusUnknownId = 0x0004,
    kStatusRefused = 0x0005,
};

constexpr size_t kParameterReplySize = 52;    // status + 50 bytes of fields
constexpr size_t kParameterFieldsOffset = 2;  // the fields follow the status word
constexpr size_t kParameterFieldsSize = kParameterReplySize - kParameterFieldsOffset;

// The write codes in the order a whole parameter set is written, and the most
// ids one of them carries.
constexpr uint16_t kWriteCodes[] = {kWriteGeneral, kWriteNoiseFloor, kWriteIIR,
                                    kWriteWindow,  kWriteAlphaBeta,  kWriteCalibration};
constexpr size_t kMaxWriteIds = 5;

// The largest value each kind of integer field keeps through a write and a
// read back: the module refuses negative values (all but the distance
// calibration) and the read reply carries the ranges and the hold time in 16
// bits, the IIR coefficients and the windows in 8.
constexpr int32_t kMaxReplyField16 = 0xFFFF;
constexpr int32_t kMaxReplyField8 = 0xFF;

// CRC-16/CCITT-FALSE (0x1021, initial 0xFFFF).
uint16_t Crc16(const uint8_t* data, size_t size);

struct Frame {
    uint8_t kind = 0;
    uint16_t code = 0;
    std::vector<uint8_t> payload;
};

// A whole frame; an empty vector when the payload is longer than kMaxPayload.
std::vector<uint8_t> EncodeFrame(uint8_t kind, uint16_t code, const uint8_t* payload, size_t size);
std::vector<uint8_t> EncodeCommand(uint16_t code, const std::vector<uint8_t>& payload = {});
// A reply: the status word, then data.
std::vector<uint8_t> EncodeReply(uint16_t code, uint16_t status, const std::vector<uint8_t>& data = {});

// Finds frames in a byte stream that may also carry report frames and noise.
// Feed any split of the stream; Next hands out each complete well-formed frame
// once, in order. Bytes that cannot begin a frame, and frames with a bad CRC or
// trailer, are skipped (the scan resumes one byte after a false header). Memory
// stays bounded whatever is fed.
class FrameDecoder {
public:
    void Feed(const uint8_t* data, size_t size);
    bool Next(Frame& frame);
    void Reset();
    size_t Buffered() const { return m_buffer.size() - m_pos; }
    // Frames and skipped bytes so far, for diagnostics.
    uint64_t SkippedBytes() const { return m_skipped; }

private:
    std::vector<uint8_t> m_buffer;
    size_t m_pos = 0;
    uint64_t m_skipped = 0;
};

// Report frames.
struct Report {
    uint8_t state = 0;
    uint16_t distance = 0;
};
std::vector<uint8_t> EncodeReport(uint8_t state, uint16_t distance);
// What a reader checks at p (at least kReportSize bytes): the header at bytes
// 0 and 1, the trailer at bytes 5 and 6; the state and distance bytes are
// never tested.
inline bool HasReportHeader(const uint8_t* p) { return p[0] == kReportHeader && p[1] == kReportHeader; }
inline bool HasReportTrailer(const uint8_t* p) {
    return p[kReportTrailerOffset] == kReportTrailer && p[kReportTrailerOffset + 1] == kReportTrailer;
}
// State and distance of the frame at p, whatever its header and trailer.
inline Report DecodeReport(const uint8_t* p) {
    Report r;
    r.state = p[kReportStateOffset];
    r.distance = GetLe16(p + kReportDistanceOffset);
    return r;
}

// Parameter writes: n pairs of (16-bit id, 32-bit value).
struct ParameterPair {
    uint16_t id = 0;
    uint32_t value = 0;
};
std::vector<uint8_t> EncodeParameterWrite(const uint16_t* ids, const uint32_t* values, size_t count);
// False when the payload is not a whole number of pairs or is empty.
bool DecodeParameterWrite(const std::vector<uint8_t>& payload, std::vector<ParameterPair>& pairs);

// The module's eighteen detection parameters; a default-made record holds the
// factory values.
struct ModuleParameters {
    int32_t motionRangeMax = 717;
    int32_t motionRangeMin = 30;
    int32_t motionlessRangeMax = 425;
    int32_t motionlessRangeMin = 30;
    int32_t offTime = 20;
    float motionNearEndCoef = 40.0f;
    float motionFarEndCoef = 6.0f;
    float motionlessNearEndCoef = 40.0f;
    float motionlessFarEndCoef = 9.0f;
    int32_t motionIIR = 2;
    int32_t motionlessIIR = 8;
    int32_t motionWindowRange = 5;
    int32_t motionlessWindowRange = 10;
    float kalman[4] = {0.5f, 0.5f, 0.85f, 0.15f};
    int32_t distanceCalibration = 0;
};

// The 52-byte reply payload of kReadParameters (status first).
std::vector<uint8_t> EncodeParameterReply(uint16_t status, const ModuleParameters& parameters);
// The reply's kParameterFieldsSize field bytes (the payload after the status
// word), written and read. Fields wider in the module than in the reply are
// written truncated to the reply's width; reading widens 8- and 16-bit fields
// without sign and copies the floats and the signed calibration bit for bit.
void EncodeParameterFields(const ModuleParameters& parameters, uint8_t* fields);
ModuleParameters DecodeParameterFields(const uint8_t* fields);
// The values one write code carries, in id order (id 0 first), as 32-bit
// cells: floats as their bits, integers as their two's-complement bits.
// Returns how many (at most kMaxWriteIds); 0 for a code that writes nothing.
size_t ParameterWriteValues(uint16_t code, const ModuleParameters& parameters, uint32_t (&values)[kMaxWriteIds]);
// Applies a write command to parameters: whole or not at all. Returns the status:
// an id the code does not know, a negative integer (other than the distance
// calibration) or a float that is not finite leave everything unchanged.
uint16_t ApplyParameterWrite(uint16_t code, const std::vector<ParameterPair>& pairs, ModuleParameters& parameters);

}  // namespace radarproto
