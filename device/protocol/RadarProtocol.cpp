// The module's serial protocol: frame codec, report frames, parameter payloads.
#include "RadarProtocol.h"

#include <cmath>
#include <cstring>

namespace radarproto {

namespace {

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void SetU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void SetU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

float BitsFloat(uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

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
    PutU16(out, code);
    PutU16(out, static_cast<uint16_t>(size));
    if (size > 0) out.insert(out.end(), payload, payload + size);
    PutU16(out, Crc16(out.data() + 2, out.size() - 2));
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
    PutU16(payload, status);
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
        const size_t length = GetU16(p + 5);
        if ((kind != kKindCommand && kind != kKindReply) || length > kMaxPayload) {
            ++m_pos;  // a false header: resume one byte later
            ++m_skipped;
            continue;
        }
        const size_t total = kFrameOverhead + length;
        if (left < total) break;  // wait for the rest
        const uint16_t crc = GetU16(p + 7 + length);
        if (p[9 + length] != kTrailer[0] || p[10 + length] != kTrailer[1] || crc != Crc16(p + 2, 5 + length)) {
            ++m_pos;
            ++m_skipped;
            continue;
        }
        frame.kind = kind;
        frame.code = GetU16(p + 3);
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
    PutU16(out, distance);
    out.push_back(kReportTrailer);
    out.push_back(kReportTrailer);
    return out;
}

std::vector<uint8_t> EncodeParameterWrite(const uint16_t* ids, const uint32_t* values, size_t count) {
    std::vector<uint8_t> out;
    if (count == 0 || ids == nullptr || values == nullptr || count * 6 > kMaxPayload) return out;
    out.reserve(count * 6);
    for (size_t i = 0; i < count; ++i) {
        PutU16(out, ids[i]);
        PutU32(out, values[i]);
    }
    return out;
}

bool DecodeParameterWrite(const std::vector<uint8_t>& payload, std::vector<ParameterPair>& pairs) {
    pairs.clear();
    if (payload.empty() || payload.size() % 6 != 0) return false;
    pairs.reserve(payload.size() / 6);
    for (size_t i = 0; i < payload.size(); i += 6) {
        ParameterPair pair;
        pair.id = GetU16(&payload[i]);
        pair.value = static_cast<uint32_t>(payload[i + 2]) | (static_cast<uint32_t>(payload[i + 3]) << 8) |
                     (static_cast<uint32_t>(payload[i + 4]) << 16) | (static_cast<uint32_t>(payload[i + 5]) << 24);
        pairs.push_back(pair);
    }
    return true;
}

std::vector<uint8_t> EncodeParameterReply(uint16_t status, const ModuleParameters& p) {
    std::vector<uint8_t> out(kParameterReplySize, 0);
    uint8_t* b = out.data();
    SetU16(b + 0, status);
    SetU16(b + 2, static_cast<uint16_t>(p.motionRangeMax));
    SetU16(b + 4, static_cast<uint16_t>(p.motionRangeMin));
    SetU16(b + 6, static_cast<uint16_t>(p.motionlessRangeMax));
    SetU16(b + 8, static_cast<uint16_t>(p.motionlessRangeMin));
    SetU16(b + 10, static_cast<uint16_t>(p.offTime));
    SetU32(b + 12, FloatBits(p.motionNearEndCoef));
    SetU32(b + 16, FloatBits(p.motionFarEndCoef));
    SetU32(b + 20, FloatBits(p.motionlessNearEndCoef));
    SetU32(b + 24, FloatBits(p.motionlessFarEndCoef));
    b[28] = static_cast<uint8_t>(p.motionIIR);
    b[29] = static_cast<uint8_t>(p.motionlessIIR);
    b[30] = static_cast<uint8_t>(p.motionWindowRange);
    b[31] = static_cast<uint8_t>(p.motionlessWindowRange);
    for (int i = 0; i < 4; ++i) SetU32(b + 32 + 4 * i, FloatBits(p.kalman[i]));
    SetU32(b + 48, static_cast<uint32_t>(p.distanceCalibration));
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

Cell CellFor(uint16_t code, uint16_t id, ModuleParameters& p) {
    Cell c;
    switch (code) {
    case kWriteGeneral: {
        int32_t* cells[] = {&p.motionRangeMax, &p.motionRangeMin, &p.motionlessRangeMax, &p.motionlessRangeMin, &p.offTime};
        if (id < 5) c.i = cells[id];
        break;
    }
    case kWriteNoiseFloor: {
        float* cells[] = {&p.motionNearEndCoef, &p.motionFarEndCoef, &p.motionlessNearEndCoef, &p.motionlessFarEndCoef};
        if (id < 4) c.f = cells[id];
        break;
    }
    case kWriteIIR:
        if (id == 0) c.i = &p.motionIIR;
        if (id == 1) c.i = &p.motionlessIIR;
        break;
    case kWriteWindow:
        if (id == 0) c.i = &p.motionWindowRange;
        if (id == 1) c.i = &p.motionlessWindowRange;
        break;
    case kWriteAlphaBeta:
        if (id < 4) c.f = &p.kalman[id];
        break;
    case kWriteCalibration:
        if (id == 0) {
            c.i = &p.distanceCalibration;
            c.allowNegative = true;
        }
        break;
    default:
        break;
    }
    return c;
}

}  // namespace

uint16_t ApplyParameterWrite(uint16_t code, const std::vector<ParameterPair>& pairs, ModuleParameters& parameters) {
    if (code < kWriteGeneral || code > kWriteCalibration) return kStatusUnknownCommand;
    if (pairs.empty()) return kStatusBadLength;
    // Work on a copy: the write is applied whole or not at all.
    ModuleParameters next = parameters;
    for (const ParameterPair& pair : pairs) {
        Cell cell = CellFor(code, pair.id, next);
        if (cell.i == nullptr && cell.f == nullptr) return kStatusUnknownId;
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

}  // namespace radarproto
