#include "export/CsvExport.h"

#include <share.h>

#include <cstdio>

#include "acquisition/OutputFile.h"
#include "RecordingReports.h"
#include "RecordingScan.h"
#include "handles/UniqueHandle.h"

namespace radar {

bool CCsvExport::Start(const std::wstring& recording, const std::wstring& csv, uint32_t periodMs) {
    if (m_busy) return false;
    m_thread.StopThread();  // a finished thread not yet joined
    m_recording = recording;
    m_csv = csv;
    m_part = csv + L".part";
    m_periodMs = periodMs;
    m_result = CsvExportResult();
    m_cancel.store(false);
    m_percent.store(0);
    m_progressPending.store(false);
    m_toldPercent = -1;
    m_busy = m_thread.StartThread("csv export", this, 0, 0, 0, 0) != 0;
    return m_busy;
}

int CCsvExport::TakeProgress() {
    m_progressPending.store(false);
    return m_percent.load();
}

CsvExportResult CCsvExport::Finish() {
    m_thread.StopThread();
    m_busy = false;
    m_progressPending.store(false);
    return m_result;
}

void CCsvExport::Cancel() {
    m_cancel.store(true);
    m_thread.StopThread();
    m_busy = false;
    // What the worker posted is for a run that is over.
    MSG stale;
    while (m_window && ::PeekMessageW(&stale, m_window, m_message, m_message, PM_REMOVE)) {}
}

int CCsvExport::ThreadFunc() {
    try {
        m_result = Export();
    } catch (...) {
        // Out of memory for the buffers: nothing was written that can be trusted.
        ::DeleteFileW(m_part.c_str());
        m_result.outcome = CsvExportResult::Outcome::WriteFailed;
        m_result.error = ERROR_NOT_ENOUGH_MEMORY;
    }
    TellDone();
    return 0;
}

void CCsvExport::TellDone() {
    // A full queue refuses the post: the window must still learn the end (it
    // keeps the export busy until then), so the post is made again until it
    // goes; Cancel ends the wait, and nothing is told after it.
    while (!m_cancel.load()) {
        if (m_post(m_window, m_message, kCsvDone, 0)) return;
        // A window that is gone takes nothing: its owner cancels on the way out.
        if (!::IsWindow(m_window)) return;
        ::Sleep(20);
    }
}

void CCsvExport::TellProgress(uint64_t done, uint64_t total) {
    const int percent = total == 0 ? 100 : static_cast<int>(done >= total ? 100 : done * 100 / total);
    if (percent == m_toldPercent) return;
    m_toldPercent = percent;
    m_percent.store(percent);
    // One post waiting at most: the window takes the newest figure.
    // A post refused (a full queue) is not waiting: the next change posts again.
    if (!m_progressPending.exchange(true) && !m_post(m_window, m_message, kCsvProgress, 0))
        m_progressPending.store(false);
}

CsvExportResult CCsvExport::Export() {
    using Outcome = CsvExportResult::Outcome;
    CsvExportResult result;
    // The tool may still be writing this recording: let it.
    UniqueKernelHandle input;
    {
        const HANDLE file =
            ::CreateFileW(m_recording.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            result.outcome = Outcome::CannotRead;
            result.error = ::GetLastError();
            return result;
        }
        input.Reset(file);
    }
    LARGE_INTEGER size = {};
    const uint64_t total = ::GetFileSizeEx(input.Get(), &size) ? static_cast<uint64_t>(size.QuadPart) : 0;

    ClearStreamError();
    // Written beside the final name; the old file, if any, is not touched yet.
    UniqueFileStream output(_wfsopen(m_part.c_str(), L"wb", _SH_DENYWR));
    if (!output) {
        result.outcome = Outcome::CannotCreate;
        result.error = StreamError();
        return result;
    }
    ClearStreamError();  // what is read after a failed write is that write's reason
    recording::CsvWriter csv(output.Get(), m_periodMs);
    csv.WriteHeader();
    recording::RecordingScanner scanner(csv);
    DWORD readError = 0;
    uint64_t done = 0;
    TellProgress(0, total);
    while (!m_cancel.load() && !csv.Failed()) {
        size_t room = 0;
        uint8_t* space = scanner.Space(&room);
        DWORD got = 0;
        if (!::ReadFile(input.Get(), space, static_cast<DWORD>(room), &got, nullptr)) {
            readError = ::GetLastError();
            break;
        }
        if (got == 0) break;
        scanner.Commit(got);
        done += got;
        TellProgress(done, total);
    }
    scanner.Finish();
    const recording::ScanCounts& counts = scanner.Counts();
    result.reports = counts.reports;
    result.skippedBytes = counts.skippedBytes;
    result.trailingBytes = counts.trailingBytes;

    bool written = !m_cancel.load() && readError == 0 && csv.Flush();
    DWORD writeError = written ? 0 : StreamError();
    // The close writes nothing more (everything was flushed) but is checked all the same.
    if (written) ClearStreamError();
    if (std::fclose(output.Release()) != 0 && written) {
        written = false;
        writeError = StreamError();
    }
    if (m_cancel.load()) {
        result.outcome = Outcome::Cancelled;
    } else if (readError != 0) {
        result.outcome = Outcome::CannotRead;
        result.error = readError;
    } else if (!written) {
        result.outcome = Outcome::WriteFailed;
        result.error = writeError;
    } else if (counts.reports == 0) {
        result.outcome = Outcome::NoReports;
    } else if (!::MoveFileExW(m_part.c_str(), m_csv.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // Whole but not moved in (the old file held open, read-only): the old
        // file stays, and the CSV could not be made under its name.
        result.outcome = Outcome::CannotCreate;
        result.error = ::GetLastError();
    } else {
        result.outcome = Outcome::Done;
        return result;
    }
    // Whatever stopped it, a CSV that is not the recording's whole is not left
    // behind, and the file it was to replace is as it was.
    ::DeleteFileW(m_part.c_str());
    return result;
}

}  // namespace radar
