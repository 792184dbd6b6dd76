// The acquisition: a worker thread that reads the module's bytes from a
// source, records them unchanged to a data file, cuts report frames out of
// them, keeps the newest state and the distance history, and tells its sink.
// It also owns the run's log file, which the debug output writes to.
//
// The main window owns one and is its sink; a test drives it with its own
// source and sink, without a window.
//
// Threads: the user-interface thread (everything but ThreadFunc) and the
// acquisition thread (ThreadFunc, ParseReportFrames and the frame handling).
// What the two share is marked at each field.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "DistanceHistory.h"
#include "LinkHealth.h"
#include "acquisition/OutputFile.h"
#include "ReportFrameParser.h"
#include "Tavo_Common.h"
#include "Tavo_DataProcess.h"

// Writes length bytes to stream; returns the number written. Stops at the
// first write that makes no progress.
size_t WriteAllToFile(FILE* stream, const void* data, size_t length);
// Debug-output sink that writes each message to the log stream in user. After
// a failed write it writes nothing more to that stream; the failure goes to
// the COutputFile that owns the stream.
int LogFileSink(void* user, int level, const char* text, int length);

namespace radar {

class RecordingSource;

// Where the acquisition reads the module's bytes from.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    // The most bytes one read may deliver.
    virtual int BlockSize() = 0;
    // Waits a while for bytes. Returns how many it put into out, 0 when none
    // came in time, -1 when the source has nothing more for good.
    virtual int Read(unsigned char* out, int capacity) = 0;
    // At every stop, after the thread has ended (also when nothing ran).
    virtual void Stop() = 0;
    // Whether a run records what it reads to a new data file.
    virtual bool Records() const = 0;
};

// The module through the device library.
class DeviceByteSource : public IByteSource {
public:
    void SetDevice(TAVO_DEVICE_HANDLE device) { m_device = device; }
    int BlockSize() override;
    int Read(unsigned char* out, int capacity) override;
    void Stop() override;
    bool Records() const override { return true; }

private:
    TAVO_DEVICE_HANDLE m_device = nullptr;  // UI thread sets while no thread runs
};

// A recording played back; it records nothing new.
class ReplayByteSource : public IByteSource {
public:
    explicit ReplayByteSource(RecordingSource& recording) : m_recording(recording) {}
    int BlockSize() override;
    int Read(unsigned char* out, int capacity) override;
    void Stop() override {}
    bool Records() const override { return false; }

private:
    RecordingSource& m_recording;
};

// What the acquisition thread tells. The acquisition never owns its sink.
class IAcquisitionSink {
public:
    // At every report: the whole history, oldest first. Called with the
    // history locked: it must not block.
    virtual void FeedHistory(const int32_t* distances, int32_t count) = 0;
    // A new state waits to be taken (TakeState); false when it could not be told.
    virtual bool PostStateChanged() = 0;
    // The source has nothing more; the thread ends.
    virtual void PostSourceEnded() = 0;

protected:
    ~IAcquisitionSink() = default;
};

struct ReportState {
    int32_t state;
    int32_t distance;
};

class CAcquisition : public IThreadFuncInterface, private IReportFrameSink {
public:
    // The log and data files go into folder (created when missing).
    CAcquisition(IAcquisitionSink& sink, std::wstring folder);
    ~CAcquisition() override;
    CAcquisition(const CAcquisition&) = delete;
    CAcquisition& operator=(const CAcquisition&) = delete;

    // The folder "Log" beside the executable.
    static std::wstring ProgramLogFolder();

    // UI thread, while stopped.
    void SetSource(IByteSource* source) { m_source = source; }
    IByteSource* Source() const { return m_source; }
    // The first failure of the log or of a data file posts message to window.
    void NotifyFileFailuresTo(HWND window, UINT message);

    // A new log file, which the debug output writes to from then on.
    void OpenLog();
    // The debug output stops writing to it, and it is closed.
    void CloseLog();
    const COutputFile& LogFile() const { return m_logFile; }
    const COutputFile& DataFile() const { return m_dataFile; }

    // Before a run: the last data file is closed, and a new one made when the
    // source records; otherwise the last one is forgotten (its failure too).
    void OpenDataFile();
    // The last run's data file is closed and forgotten with its failure: a
    // failure belongs to its run.
    void ForgetDataFile() { m_dataFile.Forget(); }
    // Starts the thread. True when it runs. False when it could not start:
    // *systemError (when given) holds the system's reason, and everything is
    // as after Stop(): no thread, the source stopped, the data file closed
    // (nothing is recorded and nothing is posted). The caller shows the reason
    // and stays stopped.
    bool Start(DWORD* systemError = nullptr);
    // How Start starts the thread: CBaseThread::StartThread, or a test's
    // stand-in. Returns nonzero when started; on 0, GetLastError is the reason.
    using ThreadStarter = std::function<int(CBaseThread& thread, IThreadFuncInterface* body, int stackBytes)>;
    void SetThreadStarter(ThreadStarter starter) { m_startThread = std::move(starter); }
    // Ends the thread, stops the source and closes the data file; nothing is
    // told after it returns. Harmless when nothing runs.
    void Stop();

    // UI thread: the newest state; the next report is told again.
    ReportState TakeState();
    // A new zeroed history for reports every reportTimeMs (above 0) over the
    // chart's span; returns its length. Also while the thread runs.
    int32_t RenewHistory(int32_t reportTimeMs);
    int32_t HistoryCount() const { return m_nHistoryCount.load(); }
    // The line's health during the current (or last) run, counted from its
    // start; the user-interface thread adds the port losses it sees.
    LinkHealthCounters& Health() { return m_health; }

    // IThreadFuncInterface: the acquisition thread's body.
    int ThreadFunc() override;
    // The acquisition thread's parsing of its receive buffer.
    void ParseReportFrames(CBaseBuffer& buffer);

private:
    void OnReportFrame(uint8_t state, uint16_t distance) override;
    void OnInvalidTrailer() override;
    void OnSkippedBytes(size_t count) override { m_health.OnSkippedBytes(count); }
    std::wstring NewFile(const wchar_t* extension) const;

    IAcquisitionSink& m_sink;
    const std::wstring m_folder;
    IByteSource* m_source = nullptr;      // UI thread sets while stopped; the thread reads through it
    COutputFile m_logFile;                // UI thread opens/closes; written through the log sink from any thread
    COutputFile m_dataFile;               // UI thread opens/closes; the acquisition thread writes while it runs
    std::atomic<int32_t> m_nState{0};     // acquisition thread writes, then tells the sink
    std::atomic<int32_t> m_nDistance{0};  // same
    // Set by the acquisition thread when it tells of a state, cleared by the
    // UI thread when it takes it: one telling pending at most, so no report
    // rate can flood the window's queue.
    std::atomic<bool> m_bStatePending{false};
    CBaseLock m_historyLock;  // guards m_history between the threads
    DistanceHistory m_history;
    std::atomic<int32_t> m_nHistoryCount{0};  // UI thread writes (under the lock)
    LinkHealthCounters m_health;              // see LinkHealth.h for who counts what
    CBaseThread m_thread;
    ThreadStarter m_startThread;            // empty: CBaseThread::StartThread
    std::atomic<int32_t> m_bStopThread{0};  // UI thread sets, acquisition thread polls
};

}  // namespace radar
