// A file the tool writes as it goes: the run's log or a recording.
//
// Created by its wide path and owned (closed on destruction). Once a write
// to it has failed it takes nothing more, so what it holds on disk stays a
// clean prefix of what it was given; the first failure is posted once to the
// window named with NotifyFailureTo, and the reason is kept for the message.
//
// Threads: Create, Close and NotifyFailureTo on the user-interface thread,
// while nobody writes. MarkFailed and StreamFailed from any thread; the
// writer (the acquisition thread, the log sink) reads Stream() and Failed().
#pragma once

#include <windows.h>

#include "handles/UniqueHandleCore.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>

class COutputFile {
public:
    COutputFile() = default;
    ~COutputFile() { Close(); }
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // The first failure of each created file posts message (wParam and lParam 0) to window.
    void NotifyFailureTo(HWND window, UINT message);

    // Closes what is open and forgets its failure; then creates or truncates
    // path for binary writing ("wb") with the share flag of _wfsopen. False
    // when the file cannot be made: Error() tells why.
    bool Create(const std::wstring& path, int shareFlag);
    // Closes the stream; the path and any failure stay known. A close that
    // fails (on a network share a write may fail only there) is a failure of
    // the file like a failed write: marked, and posted if it is the first.
    void Close();
    // Closes the stream and forgets the file: no path, no failure.
    void Forget();
    // How the stream is closed: fclose, or a test's stand-in (which must
    // close it). Returns 0 when closed well, as fclose does.
    using CloseFunction = std::function<int(FILE*)>;
    void SetCloseFunction(CloseFunction close) { m_close = std::move(close); }

    FILE* Stream() const { return m_stream.Get(); }
    const std::wstring& Path() const { return m_path; }
    // Open and never failed.
    bool IsWritable() const { return m_stream && !Failed(); }
    // The last Create could not make the file, or a write to it failed.
    bool Failed() const { return m_error.load() != 0; }
    bool CreateFailed() const { return m_createFailed; }
    // The system's error code of the failure (0: none).
    DWORD Error() const { return m_error.load(); }

    // A write or flush to the stream failed with the system's error code: the
    // file takes nothing more, and the first failure is posted.
    void MarkFailed(DWORD error);
    // The same for whichever open COutputFile owns stream (for writers that
    // know only the stream, such as the log sink); nothing when none does.
    static void StreamFailed(FILE* stream, DWORD error);

private:
    UniqueFileStream m_stream;
    std::wstring m_path;
    bool m_createFailed = false;
    std::atomic<DWORD> m_error{0};
    HWND m_window = nullptr;
    UINT m_message = 0;
    CloseFunction m_close;  // empty: fclose
};

// Forget this thread's last stream error, before a stream call whose failure
// is to be explained.
void ClearStreamError();
// The system's error code behind this thread's last failed stream call. A
// write that fell short without one is a full disk: the system took what fit.
DWORD StreamError();
