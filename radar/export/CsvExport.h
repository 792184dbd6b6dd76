// Writing a recording's reports as CSV on a worker thread, by the same code
// as "zuv_rec csv" (recording/core's scanner and CSV writer, the default
// report period), so both give the same bytes for the same recording.
//
// The recording is read by its wide path in blocks, so the worker can tell how
// far it is. Its one path to the window is the message given to the
// constructor: kCsvProgress (at most one waiting in the queue; the window
// takes the newest figure with TakeProgress) and kCsvDone once (the window
// then calls Finish). A post that fails (a full queue) is not lost: a progress
// post is made again at the next change, and the end is posted again until it
// goes or the export is cancelled, so the window always learns the end.
//
// The CSV is written beside its final name (NAME.part) and moved over it, with
// the replace written through, only when whole: a crash or a kill leaves at
// most the part file, and a file being replaced keeps its old content until
// the new one is complete. Anything that stops the CSV short of complete
// removes the part file and leaves the old file as it was.
//
// Threads: Start, TakeProgress, Finish and Cancel on the user-interface
// thread; ThreadFunc is the worker's body.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "Tavo_Common.h"

namespace radar {

constexpr WPARAM kCsvProgress = 0, kCsvDone = 1;

struct CsvExportResult {
    enum class Outcome {
        Done,          // the CSV holds every report
        CannotRead,    // the recording could not be opened or read (error)
        NoReports,     // the recording holds no report frame
        CannotCreate,  // the CSV file could not be made, or not moved over the old one (error)
        WriteFailed,   // a write, flush or close of the CSV failed (error)
        Cancelled,     // stopped by Cancel
    };
    Outcome outcome = Outcome::Cancelled;
    DWORD error = 0;  // the system's code for CannotRead, CannotCreate, WriteFailed
    uint64_t reports = 0;
    uint64_t skippedBytes = 0;   // between frames (resyncs)
    uint64_t trailingBytes = 0;  // after the last frame
};

class CCsvExport : private IThreadFuncInterface {
public:
    // How the worker posts to the window: PostMessageW, or a test's stand-in.
    using PostFunction = std::function<BOOL(HWND, UINT, WPARAM, LPARAM)>;

    CCsvExport(HWND window, UINT message, PostFunction post = ::PostMessageW)
        : m_window(window), m_message(message), m_post(std::move(post)) {}
    // Cancels a running export.
    ~CCsvExport() override { Cancel(); }
    CCsvExport(const CCsvExport&) = delete;
    CCsvExport& operator=(const CCsvExport&) = delete;

    // Starts writing the reports of recording into csv (created or replaced),
    // time_s counting periodMs per report.
    // False when an export is still running or the thread cannot start.
    bool Start(const std::wstring& recording, const std::wstring& csv, uint32_t periodMs);
    // Started and not yet finished (UI thread).
    bool Busy() const { return m_busy; }
    // The share of the recording read so far, 0 to 100; the next change posts again.
    int TakeProgress();
    // After kCsvDone: waits for the thread and gives what it did.
    CsvExportResult Finish();
    // Stops a running export (the partial file is removed) and waits for it;
    // nothing is posted after it returns. Harmless when idle.
    void Cancel();

private:
    int ThreadFunc() override;
    CsvExportResult Export();
    void TellProgress(uint64_t done, uint64_t total);
    void TellDone();

    const HWND m_window;
    const UINT m_message;
    const PostFunction m_post;
    CBaseThread m_thread;
    bool m_busy = false;  // UI thread
    // Set by the UI thread before the thread starts, read by the worker.
    std::wstring m_recording, m_csv, m_part;
    uint32_t m_periodMs = 50;
    // Written by the worker before it posts kCsvDone; read by the UI thread after joining.
    CsvExportResult m_result;
    std::atomic<bool> m_cancel{false};           // UI thread sets, the worker polls
    std::atomic<int> m_percent{0};               // the worker writes, the UI thread takes
    std::atomic<bool> m_progressPending{false};  // set with a post, cleared when taken or when the post failed
    int m_toldPercent = -1;                      // worker: the last figure posted
};

}  // namespace radar
