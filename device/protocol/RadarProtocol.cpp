// The module's serial protocol: frame codec, report frames, parameter payloads.
#include "RadarProtocol.h"

#include <cmath>

namespace radarproto {

namespace {

// Once the unread part has been consumed this far, the buffer is compacted.
constexpr size_t kCompactAfter = 4096;
// Feed appends at most this much before scanning, so a huge block never sits
// whole in the buffer.
constexpr size_t kFeedSlice = 4096;

}  // namespace

uint16_t Crc16(const uint8_t* data, size_t size) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint16_t>(data[i]) << 8;
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

std::vector<uint8_t> EncodeFrame(uint8_t kind, uint16_t code, const uint8_t* payload, size_t size) {
    std::vector<uint8_t> out;
    if (size > kMaxPayload || (size > 0 && payload == nullptr)) return out;
    out.reserve(kFrameOverhead + size);
    out.push_back(kHeader[0]);
    out.push_back(kHeader[1]);
    out.push_back(kind);
    PutLe16(out, code);
    PutLe16(out, static_cast<uint16_t>(size));
    if (size > 0) out.insert(out.end(), payload, payload + size);
    PutLe16(out, Crc16(out.data() + 2, out.size() - 2));
    out.push_back(kTrailer[0]);
    out.push_back(kTrailer[1]);
    return out;
}

std::vector<uint8_t> EncodeCommand(uint16_t code, const std::vector<uint8_t>& payload) {
    return EncodeFrame(kKindCommand, code, payload.data(), payload.size());
}

std::vector<uint8_t> EncodeReply(uint16_t code, uint16_t status, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> payload;
    payload.reserve(2 + data.size());
    PutLe16(payload, status);
    payload.insert(payload.end(), data.begin(), data.end());
    return EncodeFrame(kKindReply, code, payload.data(), payload.size());
}

void FrameDecoder::Feed(const uint8_t* data, size_t size) {
    if (data == nullptr) return;
    while (size > 0) {
        const size_t n = size < kFeedSlice ? size : kFeedSlice;
        m_buffer.insert(m_buffer.end(), data, data + n);
        data += n;
        size -= n;
        // Drop what can never begin a frame: everything before the last byte
        // unless it is a header start.
        while (m_pos < m_buffer.size()) {
            const size_t left = m_buffer.size() - m_pos;
            if (m_buffer[m_pos] == kHeader[0] && (left < 2 || m_buffer[m_pos + 1] == kHeader[1])) break;
            ++m_pos;
            ++m_skipped;
        }
        // Unread frames beyond the bound give way, oldest first.
        if (Buffered() > kMaxBuffered) {
            const size_t drop = Buffered() - kMaxBuffered;
            m_pos += drop;
            m_skipped += drop;
        }
        if (m_pos >= kCompactAfter || m_pos == m_buffer.size()) {
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_pos));
            m_pos = 0;
        }
    }
}

bool FrameDecoder::Next(Frame& frame) {
    bool found = false;
    while (!found) {
        // Synchronise on the header.
        while (m_pos < m_buffer.size()) {
            const size_t left = m_buffer.size() - m_pos;
            if (m_buffer[m_pos] == kHeader[0] && (left < 2 || m_buffer[m_pos + 1] == kHeader[1])) break;
            ++m_pos;
            ++m_skipped;
        }
        const size_t left = m_buffer.size() - m_pos;
        if (left < 7) break;
        const uint8_t* p = m_buffer.data() + m_pos;
        const uint8_t kind = p[2];
        const size_t length = GetLe16(p + 5);
        if ((kind != kKindCommand && kind != kKindReply) || length > kMaxPayload) {
            ++m_pos;  // a false header: resume one byte later
            ++m_skipped;
            continue;
        }
        const size_t total = kFrameOverhead + length;
        if (left < total) break;  // wait for the rest
        const uint16_t crc = GetLe16(p + 7 + length);
        if (p[9 + length] != kTrailer[0] || p[10 + length] != kTrailer[1] || crc != Crc16(p + 2, 5 + length)) {
            ++m_pos;
            ++m_skipped;
            continue;
        }
        frame.kind = kind;
        frame.code = GetLe16(p + 3);
        frame.payload.assign(p + 7, p + 7 + length);
        m_pos += total;
        found = true;
    }
    if (m_pos >= kCompactAfter || m_pos == m_buffer.size()) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_pos));
        m_pos = 0;
    }
    return found;
}

void FrameDecoder::Reset() {
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_pos = 0;
}

std::vector<uint8_t> EncodeReport(uint8_t state, uint16_t distance) {
    std::vector<uint8_t> out{kReportHeader, kReportHeader, state};
    PutLe16(out, distance);
    out.push_back(kReportTrailer);
    out.push_back(kReportTrailer);
    return out;
}

std::vector<uint8_t> EncodeParameterWrite(const uint16_t* ids, const uint32_t* values, size_t count) {
    std::vector<uint8_t> out;
    if (count == 0 || ids == nullptr || values == nullptr || count * 6 > kMaxPayload) return out;
    out.reserve(count * 6);
    for (size_t i = 0; i < count; ++i) {
        PutLe16(out, ids[i]);
        PutLe32(out, values[i]);
    }
    return out;
}

bool DecodeParameterWrite(const std::vector<uint8_t>& payload, std::vector<ParameterPair>& pairs) {
    pairs.clear();
    if (payload.empty() || payload.size() % 6 != 0) return false;
    pairs.reserve(payload.size() / 6);
    for (size_t i = 0; i < payload.size(); i += 6) {
        ParameterPair pair;
        pair.id = GetLe16(&payload[i]);
        pair.value = GetLe32(&payload[i + 2]);
        pairs.push_back(pair);
    }
    return true;
}

// Offsets of the fields within the field bytes (the reply payload after the
// status word).
namespace field {
constexpr size_t kMotionRangeMax = 0;
constexpr size_t kMotionRangeMin = 2;
constexpr size_t kMotionlessRangeMax = 4;
constexpr size_t kMotionlessRangeMin = 6;
constexpr size_t kOffTime = 8;
constexpr size_t kMotionNearEndCoef = 10;
constexpr size_t kMotionFarEndCoef = 14;
constexpr size_t kMotionlessNearEndCoef = 18;
constexpr size_t kMotionlessFarEndCoef = 22;
constexpr size_t kMotionIIR = 26;
constexpr size_t kMotionlessIIR = 27;
constexpr size_t kMotionWindowRange = 28;
constexpr size_t kMotionlessWindowRange = 29;
constexpr size_t kKalman = 30;  // four floats
constexpr size_t kDistanceCalibration = 46;
static_assert(kDistanceCalibration + 4 == kParameterFieldsSize, "the fields fill the reply");
}  // namespace field

void EncodeParameterFields(const ModuleParameters& p, uint8_t* f) {
    SetLe16(f + field::kMotionRangeMax, static_cast<uint16_t>(p.motionRangeMax));
    SetLe16(f + field::kMotionRangeMin, static_cast<uint16_t>(p.motionRangeMin));
    SetLe16(f + field::kMotionlessRangeMax, static_cast<uint16_t>(p.motionlessRangeMax));
    SetLe16(f + field::kMotionlessRangeMin, static_cast<uint16_t>(p.motionlessRangeMin));
    SetLe16(f + field::kOffTime, static_cast<uint16_t>(p.offTime));
    SetLe32(f + field::kMotionNearEndCoef, FloatBits(p.motionNearEndCoef));
    SetLe32(f + field::kMotionFarEndCoef, FloatBits(p.motionFarEndCoef));
    SetLe32(f + field::kMotionlessNearEndCoef, FloatBits(p.motionlessNearEndCoef));
    SetLe32(f + field::kMotionlessFarEndCoef, FloatBits(p.motionlessFarEndCoef));
    f[field::kMotionIIR] = static_cast<uint8_t>(p.motionIIR);
    f[field::kMotionlessIIR] = static_cast<uint8_t>(p.motionlessIIR);
    f[field::kMotionWindowRange] = static_cast<uint8_t>(p.motionWindowRange);
    f[field::kMotionlessWindowRange] = static_cast<uint8_t>(p.motionlessWindowRange);
    for (int i = 0; i < 4; ++i) SetLe32(f + field::kKalman + 4 * i, FloatBits(p.kalman[i]));
    SetLe32(f + field::kDistanceCalibration, SignedBits(p.distanceCalibration));
}

ModuleParameters DecodeParameterFields(const uint8_t* f) {
    ModuleParameters p;
    p.motionRangeMax = GetLe16(f + field::kMotionRangeMax);
    p.motionRangeMin = GetLe16(f + field::kMotionRangeMin);
    p.motionlessRangeMax = GetLe16(f + field::kMotionlessRangeMax);
    p.motionlessRangeMin = GetLe16(f + field::kMotionlessRangeMin);
    p.offTime = GetLe16(f + field::kOffTime);
    p.motionNearEndCoef = BitsFloat(GetLe32(f + field::kMotionNearEndCoef));
    p.motionFarEndCoef = BitsFloat(GetLe32(f + field::kMotionFarEndCoef));
    p.motionlessNearEndCoef = BitsFloat(GetLe32(f + field::kMotionlessNearEndCoef));
    p.motionlessFarEndCoef = BitsFloat(GetLe32(f + field::kMotionlessFarEndCoef));
    p.motionIIR = f[field::kMotionIIR];
    p.motionlessIIR = f[field::kMotionlessIIR];
    p.motionWindowRange = f[field::kMotionWindowRange];
    p.motionlessWindowRange = f[field::kMotionlessWindowRange];
    for (int i = 0; i < 4; ++i) p.kalman[i] = BitsFloat(GetLe32(f + field::kKalman + 4 * i));
    p.distanceCalibration = BitsSigned(GetLe32(f + field::kDistanceCalibration));
    return p;
}

std::vector<uint8_t> EncodeParameterReply(uint16_t status, const ModuleParameters& p) {
    std::vector<uint8_t> out(kParameterReplySize, 0);
    SetLe16(out.data(), status);
    EncodeParameterFields(p, out.data() + kParameterFieldsOffset);
    return out;
}

namespace {

// Where a write lands: an integer cell or a float cell, and whether the
// module refuses negative integers there.
struct Cell {
    int32_t* i = nullptr;
    float* f = nullptr;
    bool allowNegative = false;
};

// The cells a write code reaches, indexed by id. Returns how many ids the code
// knows; 0 for a code that writes nothing.
size_t CellsFor(uint16_t code, ModuleParameters& p, Cell (&cells)[kMaxWriteIds]) {
    size_t n = 0;
    auto integer = [&](int32_t& v, bool allowNegative = false) {
        cells[n].i = &v;
        cells[n].allowNegative = allowNegative;
        ++n;
    };
    auto real = [&](float& v) { cells[n++].f = &v; };
    switch (code) {
    case kWriteGeneral:
        integer(p.motionRangeMax), integer(p.motionRangeMin), integer(p.motionlessRangeMax);
        integer(p.motionlessRangeMin), integer(p.offTime);
        break;
    case kWriteNoiseFloor:
        real(p.motionNearEndCoef), real(p.motionFarEndCoef), real(p.motionlessNearEndCoef),
            real(p.motionlessFarEndCoef);
        break;
    case kWriteIIR: integer(p.motionIIR), integer(p.motionlessIIR); break;
    case kWriteWindow: integer(p.motionWindowRange), integer(p.motionlessWindowRange); break;
    case kWriteAlphaBeta:
        for (float& k : p.kalman) real(k);
        break;
    case kWriteCalibration: integer(p.distanceCalibration, true); break;
    default: break;
    }
    return n;
}

}  // namespace

uint16_t ApplyParameterWrite(uint16_t code, const std::vector<ParameterPair>& pairs, ModuleParameters& parameters) {
    if (code < kWriteGeneral || code > kWriteCalibration) return kStatusUnknownCommand;
    if (pairs.empty()) return kStatusBadLength;
    // Work on a copy: the write is applied whole or not at all.
    ModuleParameters next = parameters;
    Cell cells[kMaxWriteIds];
    const size_t known = CellsFor(code, next, cells);
    for (const ParameterPair& pair : pairs) {
        if (pair.id >= known) return kStatusUnknownId;
        const Cell& cell = cells[pair.id];
        if (cell.i != nullptr) {
            const int32_t v = static_cast<int32_t>(pair.value);
            if (v < 0 && !cell.allowNegative) return kStatusRefused;
            *cell.i = v;
        } else {
            const float v = BitsFloat(pair.value);
            if (!std::isfinite(v)) return kStatusRefused;
            *cell.f = v;
        }
    }
    parameters = next;
    return kStatusOk;
}

size_t ParameterWriteValues(uint16_t code, const ModuleParameters& parameters, uint32_t (&values)[kMaxWriteIds]) {
    ModuleParameters copy = parameters;
    Cell cells[kMaxWriteIds];
    const size_t n = CellsFor(code, copy, cells);
    for (size_t i = 0; i < n; ++i) values[i] = cells[i].i != nullptr ? SignedBits(*cells[i].i) : FloatBits(*cells[i].f);
    return n;
}

}  // namespace radarproto
