#include "acquisition/Acquisition.h"

#include <share.h>

#include <vector>

#include "framework/LongPath.h"
#include "replay/RecordingSource.h"
#include "wave/WaveChartStyle.h"

namespace radar {
namespace {

constexpr wchar_t kFilePrefix[] = L"Ladu330Pk27TOOL_";
constexpr int kReadTimeoutMs = 2000;     // longest wait for the module: stop takes at most this long
constexpr int kReplayWaitMs = 100;       // longest wait for a replayed frame: stop stays prompt
constexpr int kDefaultBlockSize = 4096;  // when the device library names none
constexpr int kThreadStackBytes = 0x400000;

}  // namespace

int DeviceByteSource::BlockSize() { return Tavo_Interface_RadarDevice_GetReadBlockBufferSize(m_device); }

int DeviceByteSource::Read(unsigned char* out, int capacity) {
    // A read error is no end: the port may come back.
    const int n = Tavo_Interface_RadarDevice_ReadData(m_device, out, capacity, kReadTimeoutMs, 0);
    return n > 0 ? n : 0;
}

void DeviceByteSource::Stop() { Tavo_Interface_RadarDevice_Stop(m_device); }

int ReplayByteSource::BlockSize() { return kDefaultBlockSize; }

int ReplayByteSource::Read(unsigned char* out, int capacity) {
    return m_recording.Read(out, static_cast<size_t>(capacity), kReplayWaitMs);
}

CAcquisition::CAcquisition(IAcquisitionSink& sink, std::wstring folder) : m_sink(sink), m_folder(std::move(folder)) {}

CAcquisition::~CAcquisition() {
    // Normally stopped by the owner; this covers an owner that never ran.
    m_bStopThread = 1;
    m_thread.StopThread();
    DbgOutputDelCallback(LogFileSink);
}

std::wstring CAcquisition::ProgramLogFolder() {
    // No program folder, no Log folder: never one relative to wherever the
    // tool was started from (start-up has told the user already).
    const std::wstring folder = ProgramFolder();
    return folder.empty() ? std::wstring() : folder + L"\\Log";
}

std::wstring CAcquisition::NewFile(const wchar_t* extension) const {
    if (m_folder.empty()) return std::wstring();
    RecursiveCreateDirectoryW(m_folder.c_str());  // of any length
    // A bare file name: the 260 characters the library asks for are plenty.
    wchar_t name[TAVO_MAX_PATH] = {};
    GetFileNameByDateW(name, extension, kFilePrefix, L"", 0, 1, 0);
    return m_folder + L"\\" + name;
}

void CAcquisition::NotifyFileFailuresTo(HWND window, UINT message) {
    m_logFile.NotifyFailureTo(window, message);
    m_dataFile.NotifyFailureTo(window, message);
}

void CAcquisition::OpenLog() {
    // The sink is not running while its stream changes.
    DbgOutputDelCallback(LogFileSink);
    m_logFile.Create(NewFile(L".log"), _SH_DENYWR);
    DbgOutputAddCallback(LogFileSink, m_logFile.Stream());
    DbgOutputSetTag(nullptr, 0);
    DbgOutputSetTimeType(1);
    DbgOutputSetIncludePIDTID(0);
}

void CAcquisition::CloseLog() {
    DbgOutputDelCallback(LogFileSink);
    m_logFile.Close();
}

void CAcquisition::OpenDataFile() {
    if (m_source && m_source->Records())
        m_dataFile.Create(NewFile(L".dat"), _SH_DENYNO);
    else
        m_dataFile.Forget();
}

bool CAcquisition::Start(DWORD* systemError) {
    m_nState = 0;
    m_nDistance = 0;
    m_health.Reset();
    m_bStopThread = 0;
    ::SetLastError(ERROR_SUCCESS);
    const bool started = (m_startThread ? m_startThread(m_thread, this, kThreadStackBytes)
                                        : m_thread.StartThread("ABDData", this, 0, 0, kThreadStackBytes, 0)) != 0;
    if (started) return true;
    DWORD error = ::GetLastError();
    // Refused without a code: a thread still running, or no memory for the start.
    if (error == ERROR_SUCCESS) error = m_thread.IsRunning() ? ERROR_BUSY : ERROR_NOT_ENOUGH_MEMORY;
    if (systemError) *systemError = error;
    // Nothing left running: the source is stopped as at every stop, and the
    // data file made for this run is closed.
    Stop();
    return false;
}

void CAcquisition::Stop() {
    m_bStopThread = 1;
    m_thread.StopThread();
    if (m_source) m_source->Stop();
    m_dataFile.Close();
    m_bStatePending.store(false);  // the thread has ended: nothing more is told
}

ReportState CAcquisition::TakeState() {
    // Cleared before the state is read: a report stored after this point
    // tells again, so the newest state is never left untaken.
    m_bStatePending.store(false);
    return {m_nState.load(), m_nDistance.load()};
}

int32_t CAcquisition::RenewHistory(int32_t reportTimeMs) {
    const int32_t count = DistanceHistory::CountFor(kRecentValuesSpanMs, reportTimeMs);
    CAutoBaseLock guard(m_historyLock);
    m_history.Renew(count);
    m_nHistoryCount = count;
    return count;
}

int CAcquisition::ThreadFunc() {
    if (!m_source) return 0;
    CBaseBuffer received;
    int blockSize = m_source->BlockSize();
    if (blockSize <= 0) blockSize = kDefaultBlockSize;
    std::vector<unsigned char> block(static_cast<size_t>(blockSize));
    while (!m_bStopThread) {
        const int n = m_source->Read(block.data(), blockSize);
        if (n < 0) {
            m_sink.PostSourceEnded();
            break;
        }
        if (n == 0) continue;
        if (FILE* data = m_dataFile.Stream(); data && !m_dataFile.Failed()) {
            // Every byte received is on disk before it is parsed. After a
            // failed write nothing more goes in: the file stays a clean prefix.
            ClearStreamError();
            const size_t written = WriteAllToFile(data, block.data(), static_cast<size_t>(n));
            if (fflush(data) != 0 || written < static_cast<size_t>(n)) m_dataFile.MarkFailed(StreamError());
        }
        received.AppendBuffer(block.data(), n);
        ParseReportFrames(received);
    }
    return 0;
}

void CAcquisition::ParseReportFrames(CBaseBuffer& buffer) { ScanReportBuffer(buffer, *this); }

void CAcquisition::OnReportFrame(uint8_t state, uint16_t distance) {
    m_health.OnReport();
    m_nState = state;
    m_nDistance = distance;
    // Only when the previous state was taken: the window then shows the
    // latest one, while the log and the chart below still get every report.
    // A telling that fails (a full queue) leaves nothing pending.
    if (!m_bStatePending.exchange(true) && !m_sink.PostStateChanged()) m_bStatePending.store(false);
    DbgOutputA(2, "State=%d, M_D=%03d\r\n", static_cast<int>(state), static_cast<int>(distance));
    // The history may be renewed by the user-interface thread at any time
    // (resize): add to it and feed it under its lock.
    CAutoBaseLock guard(m_historyLock);
    if (m_history.Count() > 0) {
        m_history.Push(distance);
        m_sink.FeedHistory(m_history.Data(), m_history.Count());
    }
}

void CAcquisition::OnInvalidTrailer() {
    m_health.OnBadTrailer();
    DbgOutputA(2, "Tailer TAG Invalid!\r\n");
}

}  // namespace radar

size_t WriteAllToFile(FILE* stream, const void* data, size_t length) {
    if (!stream || !data || length == 0) return 0;
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < length) {
        const size_t remaining = length - written;
        const size_t n = fwrite(bytes + written, 1, remaining, stream);
        written += n;
        // A write that makes no progress ends the loop even when the stream
        // does not report an error: never spin on a stuck file.
        if (n == 0 || (n < remaining && ferror(stream))) break;
    }
    return written;
}

int LogFileSink(void* user, int /*level*/, const char* text, int length) {
    FILE* stream = static_cast<FILE*>(user);
    if (!stream || !text || length <= 0) return 0;
    // After a failed write the log takes nothing more: it stays a clean
    // prefix of what was logged.
    if (ferror(stream)) return 0;
    ClearStreamError();
    const size_t written = WriteAllToFile(stream, text, static_cast<size_t>(length));
    // Each line reaches the file at once: nothing is lost if the tool dies.
    const bool flushed = fflush(stream) == 0;
    if (!flushed || written < static_cast<size_t>(length)) COutputFile::StreamFailed(stream, StreamError());
    return static_cast<int>(written);
}
