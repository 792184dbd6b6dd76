#include "replay/RecordingSource.h"

#include <chrono>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace radar {

namespace {
// Files beyond 2 GB included.
void SeekTo(std::FILE* file, uint64_t offset) {
#ifdef _WIN32
    _fseeki64(file, static_cast<long long>(offset), SEEK_SET);
#else
    fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

// Longest interval kept: far beyond 15 s at a hundredth of the speed.
constexpr int64_t kLongestIntervalUs = int64_t{1} << 40;
}  // namespace

void ReplayPacer::SetIntervalMs(double intervalMs) {
    if (!(intervalMs > 0)) {
        m_intervalUs = 0;
        return;
    }
    const double us = std::round(intervalMs * 1000);
    m_intervalUs = us < 1                                         ? 1
                   : us > static_cast<double>(kLongestIntervalUs) ? kLongestIntervalUs
                                                                  : static_cast<int64_t>(us);
}

void ReplayPacer::Restart(int64_t nowMs) {
    m_startMs = nowMs;
    m_taken = 0;
}

int64_t ReplayPacer::DueAtMs(uint64_t k) const {
    // ceil(k * us / 1000) without overflow: k = q * 1000 + r.
    const uint64_t us = static_cast<uint64_t>(m_intervalUs);
    const uint64_t q = k / 1000, r = k % 1000;
    constexpr uint64_t kMost = static_cast<uint64_t>(INT64_MAX / 2);
    if (us != 0 && q > kMost / us) return static_cast<int64_t>(kMost);
    return static_cast<int64_t>(q * us + (r * us + 999) / 1000);
}

uint64_t ReplayPacer::Due(int64_t nowMs) const {
    if (nowMs < m_startMs) return 0;
    // With no interval everything is due at once.
    if (m_intervalUs <= 0) return UINT64_MAX - m_taken;
    // Frame k is due when DueAtMs(k) <= elapsed, that is k * us <= elapsed * 1000:
    // the frames due are floor(elapsed * 1000 / us) + 1, counted without overflow.
    const uint64_t elapsed = static_cast<uint64_t>(nowMs) - static_cast<uint64_t>(m_startMs);
    const uint64_t us = static_cast<uint64_t>(m_intervalUs);
    const uint64_t a = elapsed / us, b = elapsed % us;
    if (a > UINT64_MAX / 2000) return UINT64_MAX - m_taken;
    const uint64_t due = a * 1000 + b * 1000 / us + 1;
    return due > m_taken ? due - m_taken : 0;
}

int64_t ReplayPacer::WaitMs(int64_t nowMs) const {
    if (m_intervalUs <= 0) return nowMs < m_startMs ? m_startMs - nowMs : 0;
    const int64_t dueAt = m_startMs + DueAtMs(m_taken);
    return dueAt > nowMs ? dueAt - nowMs : 0;
}

bool ParseReplaySpeed(const std::string& text, double& speed) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(value >= 0.01 && value <= 1000)) return false;
    speed = value;
    return true;
}

RecordingSource::RecordingSource(Clock clock, Sleeper sleeper)
    : m_clock(std::move(clock)), m_sleep(std::move(sleeper)) {
    if (!m_clock) {
        m_clock = [] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        };
    }
    if (!m_sleep) m_sleep = [](int64_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

RecordingSource::~RecordingSource() { StopCount(); }

void RecordingSource::StopCount() {
    m_stopCount = true;
    if (m_counter.joinable()) m_counter.join();
    m_stopCount = false;
    m_countFile.Reset();
}

void RecordingSource::Count(std::FILE* file) {
    struct Counter : recording::IReportConsumer {
        void OnReport(const recording::Report&) override { ++reports; }
        uint64_t reports = 0;
    } counter;
    recording::RecordingScanner scanner(counter);
    for (;;) {
        if (m_stopCount) return;
        size_t room = 0;
        uint8_t* space = scanner.Space(&room);
        const size_t n = std::fread(space, 1, room, file);
        scanner.Commit(n);
        if (n < room) break;
    }
    // A count cut short by a read error stays unknown.
    if (std::ferror(file)) return;
    scanner.Finish();
    m_totalFrames = counter.reports;
    m_totalKnown = true;
}

ReplayProblem RecordingSource::Open(std::FILE* file, std::FILE* countFile) {
    StopCount();
    m_totalFrames = 0;
    m_totalKnown = false;
    m_countFile.Reset(countFile);
    m_file.Reset(file);
    m_readFailed = false;
    m_readErrno = 0;
    if (!m_file) return ReplayProblem::CannotOpen;

    // A recording made by the tool begins with report frames; a megabyte
    // without one is something else. The probe stops at the first one.
    struct Probe : recording::IReportConsumer {
        void OnReport(const recording::Report&) override { ++reports; }
        uint64_t reports = 0;
    } probe;
    recording::RecordingScanner scanner(probe);
    uint64_t bytes = 0;
    for (;;) {
        size_t room = 0;
        uint8_t* space = scanner.Space(&room);
        if (room > 64 * 1024) room = 64 * 1024;
        const size_t n = std::fread(space, 1, room, m_file.Get());
        scanner.Commit(n);
        bytes += n;
        if (n < room) {
            if (!std::ferror(m_file.Get())) scanner.Finish();
            break;
        }
        if (probe.reports > 0 || bytes >= (1u << 20)) break;
    }
    const ReplayProblem problem = std::ferror(m_file.Get()) ? ReplayProblem::CannotOpen
                                  : bytes == 0              ? ReplayProblem::Empty
                                  : probe.reports == 0      ? ReplayProblem::NotARecording
                                                            : ReplayProblem::None;
    if (problem != ReplayProblem::None) {
        m_countFile.Reset();
        return problem;
    }
    Rewind();
    if (m_countFile) {
        std::FILE* counted = m_countFile.Get();
        m_counter = std::thread([this, counted] { Count(counted); });
    } else {
        Count(m_file.Get());
        Rewind();
    }
    return ReplayProblem::None;
}

void RecordingSource::Rewind() {
    if (m_file) {
        std::clearerr(m_file.Get());
        std::fseek(m_file.Get(), 0, SEEK_SET);
    }
    recording::IReportConsumer& consumer = *this;
    m_scanner = std::make_unique<recording::RecordingScanner>(consumer);
    m_waiting.clear();
    m_givenOffset = 0;
    m_frameEnds.clear();
    m_fileDone = false;
    m_atEnd = false;
    m_framesGiven = 0;
}

void RecordingSource::PrepareStart(double intervalMs) {
    if (m_atEnd) Rewind();
    if (m_readFailed && m_file) {
        // Once more from where the reading failed: what was read and not
        // given still waits, the scanner goes on.
        std::clearerr(m_file.Get());
        SeekTo(m_file.Get(), m_givenOffset + m_waiting.size());
        m_readFailed = false;
        m_readErrno = 0;
    }
    m_pacer.SetIntervalMs(intervalMs);
    m_intervalMs = intervalMs;
    m_intervalChanged = false;
    m_restartSchedule = true;
}

void RecordingSource::ChangeInterval(double intervalMs) {
    m_intervalMs = intervalMs;
    m_intervalChanged = true;
}

void RecordingSource::OnReport(const recording::Report& report) {
    m_frameEnds.push_back(report.offset + radar::kReportFrameSize);
}

void RecordingSource::ReadAhead() {
    while (m_frameEnds.empty() && !m_fileDone && !m_readFailed && m_waiting.size() < kMostWaiting && m_file) {
        uint8_t chunk[kChunk];
        errno = 0;
        const size_t n = std::fread(chunk, 1, sizeof chunk, m_file.Get());
        const int error = errno;
        m_waiting.insert(m_waiting.end(), chunk, chunk + n);
        m_scanner->Feed(chunk, n);
        if (n < sizeof chunk) {
            if (std::ferror(m_file.Get())) {
                // Not the end: the file could not be read further (a share
                // gone, a stick pulled). What was read still goes out.
                m_readErrno = error;
                m_readFailed = true;
            } else {
                m_scanner->Finish();
                m_fileDone = true;
            }
        }
    }
}

int RecordingSource::Give(uint8_t* out, size_t count, uint64_t frames) {
    // Never more than is waiting, nor frames that are not.
    if (count > m_waiting.size()) count = m_waiting.size();
    if (frames > m_frameEnds.size()) frames = m_frameEnds.size();
    if (count == 0 && frames == 0) return 0;
    std::memcpy(out, m_waiting.data(), count);
    m_waiting.erase(m_waiting.begin(), m_waiting.begin() + static_cast<std::ptrdiff_t>(count));
    m_givenOffset += count;
    for (uint64_t i = 0; i < frames; ++i) m_frameEnds.pop_front();
    m_pacer.Taken(frames);
    m_framesGiven += frames;
    return static_cast<int>(count);
}

int RecordingSource::Read(uint8_t* out, size_t capacity, int maxWaitMs) {
    if (!out || capacity == 0 || !m_scanner) return 0;
    if (capacity > INT32_MAX) capacity = INT32_MAX;
    if (m_intervalChanged.exchange(false)) {
        m_pacer.SetIntervalMs(m_intervalMs.load());
        m_restartSchedule = true;
    }
    if (m_restartSchedule) {
        m_pacer.Restart(m_clock());
        m_restartSchedule = false;
    }
    ReadAhead();
    if (m_frameEnds.empty()) {
        // No frame ahead: bytes after the last frame (or a long noise run)
        // go on unpaced, then the recording is over.
        // After a read error the bytes that may begin a frame wait for the
        // reading to go on.
        if (m_readFailed) return -1;
        if (!m_waiting.empty()) {
            const size_t count = m_waiting.size() < capacity ? m_waiting.size() : capacity;
            return Give(out, count, 0);
        }
        if (m_fileDone) m_atEnd = true;
        return m_fileDone ? -1 : 0;
    }

    int64_t now = m_clock();
    const int64_t wait = m_pacer.WaitMs(now);
    if (wait > 0) {
        m_sleep(wait < maxWaitMs ? wait : maxWaitMs);
        now = m_clock();
    }
    // One time and one schedule decide: nothing is due, or at least one frame.
    const uint64_t due = m_pacer.Due(now);
    if (due == 0) return 0;
    uint64_t frames = 0;
    size_t count = 0;
    while (frames < due && frames < m_frameEnds.size()) {
        const size_t end = static_cast<size_t>(m_frameEnds[frames] - m_givenOffset);
        if (end > capacity) break;
        count = end;
        ++frames;
    }
    // A due frame preceded by more noise than fits: the noise first, as much
    // as fits and no more than is waiting (Give clamps).
    if (frames == 0) return Give(out, capacity, 0);
    return Give(out, count, frames);
}

}  // namespace radar
