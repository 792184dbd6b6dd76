#include "ConfigFile.h"

#include <windows.h>

#include "framework/LongPath.h"
#include "handles/UniqueHandle.h"

#include <algorithm>

#include <string>

namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

FileWriteResult WriteFileReplacing(const FilePath& path, const std::string& bytes, unsigned long* systemError) {
    auto failed = [&](DWORD error) {
        if (systemError) *systemError = error;
        return FileWriteResult::Failed;
    };
    if (path.empty()) return failed(ERROR_INVALID_NAME);
    const std::wstring target = ExtendedLengthPath(path);  // past MAX_PATH too

    // An existing file that we may not write (read-only, held open without
    // write sharing by another program) is left alone.
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // Checked by attribute too: an administrator may open a read-only file
        // for writing on some systems, but the user marked it not to be changed.
        if (attributes & FILE_ATTRIBUTE_READONLY) return FileWriteResult::Skipped;
        UniqueKernelHandle probe(CreateFileW(target.c_str(), GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.IsValid()) return FileWriteResult::Skipped;
    }

    std::wstring temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    bool ok;
    DWORD error = ERROR_SUCCESS;
    {
        UniqueKernelHandle file(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return failed(GetLastError());
        ok = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
        // A full disk can leave a short write with no error code.
        error = ok ? ERROR_SUCCESS : (GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_DISK_FULL);
        // Closed here, where a failed close still counts against the write.
        ok = CloseHandle(file.Release()) && ok;
    }
    if (ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FileWriteResult::Written;
    DeleteFileW(temp.c_str());
    return ok ? FileWriteResult::Skipped : failed(error);
}
