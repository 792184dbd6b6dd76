#include "RadarDeviceCore.h"

#include <algorithm>
#include <vector>

namespace radardev {

using radarproto::Frame;

namespace {
constexpr int kScratchSize = 1024;

int Remaining(int64_t deadline, int64_t now) {
    return deadline > now ? static_cast<int>(std::min<int64_t>(deadline - now, INT32_MAX)) : 0;
}
}  // namespace

CRadarDeviceCore::CRadarDeviceCore(std::unique_ptr<IPortSystem> system) : m_system(std::move(system)) {}

CRadarDeviceCore::~CRadarDeviceCore() { Close(); }

size_t CRadarDeviceCore::ExpectedReplySize(uint16_t code) {
    switch (code) {
    case radarproto::kEnterCommandMode:
    case radarproto::kLeaveCommandMode:
    case radarproto::kStartReporting:
    case radarproto::kStopReporting:
    case radarproto::kWriteGeneral:
    case radarproto::kWriteNoiseFloor:
    case radarproto::kWriteIIR:
    case radarproto::kWriteWindow:
    case radarproto::kWriteAlphaBeta:
    case radarproto::kWriteCalibration: return 2;
    case radarproto::kReadParameters: return radarproto::kParameterReplySize;
    default: return 0;  // version text and unknown codes: any length
    }
}

bool CRadarDeviceCore::Open(int portNum, int baudRate, int attempts, int framing, int purge, int replyTimeoutMs) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_port.reset();
    m_wanted = false;
    m_connected = false;
    if (portNum <= 0 || baudRate <= 0 || framing != 1) return false;
    m_settings.portNum = portNum;
    m_settings.baudRate = baudRate;
    m_settings.purge = purge != 0;
    m_replyTimeoutMs = replyTimeoutMs > 0 ? replyTimeoutMs : 150;
    attempts = std::max(1, attempts);
    for (int i = 0; i < attempts; ++i) {
        if (i > 0) m_system->SleepMs(kOpenRetryPauseMs);
        m_port = m_system->Open(m_settings);
        if (m_port) break;
    }
    if (!m_port) return false;
    m_decoder.Reset();
    m_pending.clear();
    m_wanted = true;
    m_connected = true;
    return true;
}

bool CRadarDeviceCore::IsConnected() {
    // Only probe when nobody else is using the port: a probe during a
    // synchronous read could wait for that read on some drivers.
    std::unique_lock<std::mutex> lock(m_mutex, std::try_to_lock);
    if (lock.owns_lock()) {
        if (m_port && !m_port->Alive())
            MarkGoneLocked();
        else if (!m_port && m_wanted)
            TryReopenLocked();
    }
    return m_connected.load();
}

void CRadarDeviceCore::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_port.reset();
    m_wanted = false;
    m_connected = false;
    m_decoder.Reset();
    m_pending.clear();
}

void CRadarDeviceCore::MarkGoneLocked() {
    m_port.reset();  // release the dead handle so the name can be opened again
    m_connected = false;
    m_nextReopenMs = m_system->NowMs() + kReopenIntervalMs;
}

bool CRadarDeviceCore::TryReopenLocked() {
    if (!m_wanted) return false;
    m_nextReopenMs = m_system->NowMs() + kReopenIntervalMs;
    m_port = m_system->Open(m_settings);
    if (!m_port) return false;
    m_decoder.Reset();
    m_pending.clear();
    m_connected = true;
    return true;
}

bool CRadarDeviceCore::EnsurePortLocked() {
    if (m_port) return true;
    return TryReopenLocked();
}

uint16_t CRadarDeviceCore::ExchangeLocked(uint16_t code, const uint8_t* payload, size_t size, int timeoutMs,
                                          Frame& reply) {
    if (!EnsurePortLocked()) return kErrNotOpen;
    std::vector<uint8_t> frame = radarproto::EncodeFrame(radarproto::kKindCommand, code, payload, size);
    if (frame.empty()) return kErrBadArgument;
    // A reply that arrived after an earlier command timed out must not pass
    // for this one's: drop everything pending before sending.
    m_port->Purge();
    m_decoder.Reset();
    m_pending.clear();
    if (!m_port->Write(frame.data(), static_cast<int>(frame.size()))) {
        if (!m_port->Alive()) MarkGoneLocked();
        return m_port ? kErrWriteFailed : kErrNotOpen;
    }
    const int64_t deadline = m_system->NowMs() + std::max(0, timeoutMs);
    uint8_t buffer[kScratchSize];
    for (;;) {
        const int left = Remaining(deadline, m_system->NowMs());
        if (left <= 0) return kErrTimeout;
        const int n = m_port->Read(buffer, sizeof buffer, std::min(left, kReadSliceMs));
        if (n < 0 || (n == 0 && !m_port->Alive())) {
            MarkGoneLocked();
            return kErrNotOpen;
        }
        m_decoder.Feed(buffer, static_cast<size_t>(n));
        while (m_decoder.Next(reply)) {
            // Report frames never decode as frames; other codes and our own
            // echoed command kind are skipped.
            if (reply.kind == radarproto::kKindReply && reply.code == code) {
                // What came behind the reply in the same read is the data
                // stream (report frames right after "leave command mode"):
                // kept for ReadData, not dropped with the scratch block.
                const size_t rest = std::min(m_decoder.Buffered(), static_cast<size_t>(n));
                m_pending.assign(buffer + n - rest, buffer + n);
                m_decoder.Reset();
                return 0;
            }
        }
    }
}

uint16_t CRadarDeviceCore::SimpleCommandLocked(uint16_t code, int timeoutMs) {
    Frame reply;
    const uint16_t err = ExchangeLocked(code, nullptr, 0, timeoutMs, reply);
    if (err != 0) return err;
    if (reply.payload.size() < 2) return kErrReplyLength;
    const uint16_t status = static_cast<uint16_t>(reply.payload[0] | (reply.payload[1] << 8));
    if (status != 0) return kErrStatus;
    const size_t expected = ExpectedReplySize(code);
    if (expected != 0 && reply.payload.size() != expected) return kErrReplyLength;
    return 0;
}

bool CRadarDeviceCore::ReadVersion(std::string& version) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Frame reply;
    if (ExchangeLocked(radarproto::kReadVersion, nullptr, 0, m_replyTimeoutMs, reply) != 0) return false;
    if (reply.payload.size() < 2 || reply.payload[0] != 0 || reply.payload[1] != 0) return false;
    version.assign(reply.payload.begin() + 2, reply.payload.end());
    return true;
}

bool CRadarDeviceCore::StartCmdMode(int attempts, int timeoutMs) {
    std::lock_guard<std::mutex> lock(m_mutex);
    attempts = std::max(1, attempts);
    for (int i = 0; i < attempts; ++i) {
        const uint16_t err = SimpleCommandLocked(radarproto::kEnterCommandMode, timeoutMs);
        if (err == 0) return true;
        if (err == kErrNotOpen) return false;  // no point repeating into a missing port
    }
    return false;
}

bool CRadarDeviceCore::StopCmdMode() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SimpleCommandLocked(radarproto::kLeaveCommandMode, m_replyTimeoutMs) == 0;
}

bool CRadarDeviceCore::StartReporting() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SimpleCommandLocked(radarproto::kStartReporting, m_replyTimeoutMs) == 0;
}

bool CRadarDeviceCore::StopReporting() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_port && !m_wanted) return false;  // idle: nothing to tell the module
    return SimpleCommandLocked(radarproto::kStopReporting, m_replyTimeoutMs) == 0;
}

bool CRadarDeviceCore::CleanData(int maxMs) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!EnsurePortLocked()) return false;
    m_port->Purge();
    m_decoder.Reset();
    m_pending.clear();
    const int64_t deadline = m_system->NowMs() + std::max(0, maxMs);
    uint8_t buffer[kScratchSize];
    for (;;) {
        const int left = Remaining(deadline, m_system->NowMs());
        if (left <= 0) return false;  // the line never went quiet; what came is dropped all the same
        const int wait = std::min(left, kQuietMs);
        const int n = m_port->Read(buffer, sizeof buffer, wait);
        if (n < 0 || (n == 0 && !m_port->Alive())) {
            MarkGoneLocked();
            return false;
        }
        // A read that waited the whole quiet span and got nothing is the
        // silence we want; a shortened last span proves nothing.
        if (n == 0 && wait == kQuietMs) return true;
    }
}

uint16_t CRadarDeviceCore::SendCommand(int code, const void* request, int requestLength, ReplyHandler handler,
                                       void* context, int timeoutMs) {
    if (!handler || code < 0 || code > 0xFFFF || requestLength < 0 || (requestLength > 0 && !request) ||
        static_cast<size_t>(requestLength) > radarproto::kMaxPayload)
        return kErrBadArgument;
    std::lock_guard<std::mutex> lock(m_mutex);
    Frame reply;
    const uint16_t err = ExchangeLocked(static_cast<uint16_t>(code), static_cast<const uint8_t*>(request),
                                        static_cast<size_t>(requestLength), timeoutMs, reply);
    if (err != 0) return err;
    if (reply.payload.size() < 2) return kErrReplyLength;  // a handler told hasStatus=1 would read past the data
    const uint16_t result = handler(1, reply.payload.data(), static_cast<int>(reply.payload.size()), context);
    if (result != 0) return result;
    const uint16_t status = static_cast<uint16_t>(reply.payload[0] | (reply.payload[1] << 8));
    if (status != 0) return kErrStatus;
    const size_t expected = ExpectedReplySize(static_cast<uint16_t>(code));
    if (expected != 0 && reply.payload.size() != expected) return kErrReplyLength;
    return 0;
}

bool CRadarDeviceCore::SetParameter(int code, int count, const uint16_t* ids, const uint32_t* values, int timeoutMs) {
    if (code < 0 || code > 0xFFFF || count <= 0 || !ids || !values ||
        static_cast<size_t>(count) * 6 > radarproto::kMaxPayload)
        return false;
    const std::vector<uint8_t> payload = radarproto::EncodeParameterWrite(ids, values, static_cast<size_t>(count));
    std::lock_guard<std::mutex> lock(m_mutex);
    Frame reply;
    if (ExchangeLocked(static_cast<uint16_t>(code), payload.data(), payload.size(), timeoutMs, reply) != 0)
        return false;
    return reply.payload.size() == 2 && reply.payload[0] == 0 && reply.payload[1] == 0;
}

int CRadarDeviceCore::ReadData(void* buffer, int size, int timeoutMs) {
    if (!buffer || size <= 0) return -1;
    timeoutMs = std::max(0, timeoutMs);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pending.empty()) {
        const size_t n = std::min(m_pending.size(), static_cast<size_t>(size));
        std::copy(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n), static_cast<uint8_t*>(buffer));
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<int>(n);
    }
    const int64_t deadline = m_system->NowMs() + timeoutMs;
    if (!m_port && !m_wanted) {
        // Not open: a short pause, so a caller looping on us does not spin.
        m_system->SleepMs(std::min(timeoutMs, 50));
        return -1;
    }
    uint8_t* out = static_cast<uint8_t*>(buffer);
    for (;;) {
        const int64_t now = m_system->NowMs();
        const int left = Remaining(deadline, now);
        if (!m_port) {
            if (now >= m_nextReopenMs && TryReopenLocked()) continue;
            if (left <= 0) return -1;
            m_system->SleepMs(std::min<int64_t>(left, std::max<int64_t>(1, m_nextReopenMs - now)));
            continue;
        }
        if (left <= 0) return 0;
        const int n = m_port->Read(out, size, std::min(left, kReadSliceMs));
        if (n > 0) return n;
        if (n < 0 || !m_port->Alive()) MarkGoneLocked();  // keep trying to reopen for the rest of the time-out
    }
}

}  // namespace radardev
