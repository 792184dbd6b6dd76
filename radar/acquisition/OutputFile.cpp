#include "acquisition/OutputFile.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/LongPath.h"

namespace {

// Every COutputFile with an open stream, so that a writer knowing only the
// stream can find the file it belongs to.
std::mutex g_openFilesLock;
std::vector<COutputFile*> g_openFiles;

}  // namespace

void ClearStreamError() {
    _doserrno = 0;
    errno = 0;
}

DWORD StreamError() {
    // The runtime keeps the system's code of a failed call here. A write the
    // system took only in part sets none: msvcrt on Windows reports ENOSPC,
    // Wine's runtime "invalid argument", and in both the disk took what fit.
    const unsigned long error = _doserrno;
    return error != 0 ? static_cast<DWORD>(error) : ERROR_DISK_FULL;
}

void COutputFile::NotifyFailureTo(HWND window, UINT message) {
    m_window = window;
    m_message = message;
}

bool COutputFile::Create(const std::wstring& path, int shareFlag) {
    Close();
    m_path = path;
    m_createFailed = false;
    m_error.store(0);
    ClearStreamError();
    ::SetLastError(0);
    // Opened in the long form; shown (Path()) as it was given.
    FILE* stream = _wfsopen(ExtendedLengthPath(path).c_str(), L"wb", shareFlag);
    if (!stream) {
        DWORD error = static_cast<DWORD>(_doserrno);
        if (error == 0) error = ::GetLastError();
        m_error.store(error != 0 ? error : ERROR_OPEN_FAILED);
        m_createFailed = true;
        return false;
    }
    std::lock_guard<std::mutex> guard(g_openFilesLock);
    m_stream.Reset(stream);
    g_openFiles.push_back(this);
    return true;
}

void COutputFile::Close() {
    UniqueFileStream stream;
    {
        std::lock_guard<std::mutex> guard(g_openFilesLock);
        stream = std::move(m_stream);
        g_openFiles.erase(std::remove(g_openFiles.begin(), g_openFiles.end(), this), g_openFiles.end());
    }
    if (!stream) return;
    // Closed here, outside the lock. Every write is flushed at once and
    // nothing is written after a failure, but the close is checked all the
    // same: on a network share a write may be refused only there.
    FILE* const closing = stream.Release();
    ClearStreamError();
    const int closed = m_close ? m_close(closing) : std::fclose(closing);
    if (closed != 0) MarkFailed(StreamError());
}

void COutputFile::Forget() {
    Close();
    m_path.clear();
    m_createFailed = false;
    m_error.store(0);
}

void COutputFile::MarkFailed(DWORD error) {
    DWORD none = 0;
    if (!m_error.compare_exchange_strong(none, error != 0 ? error : ERROR_WRITE_FAULT)) return;  // told already
    if (m_window) ::PostMessageW(m_window, m_message, 0, 0);
}

void COutputFile::StreamFailed(FILE* stream, DWORD error) {
    COutputFile* owner = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_openFilesLock);
        for (COutputFile* file : g_openFiles) {
            if (file->m_stream.Get() == stream) owner = file;
        }
    }
    // Posted without the lock held. The owner is not closed meanwhile: a
    // file's writers have stopped before it is closed.
    if (owner && stream) owner->MarkFailed(error);
}
