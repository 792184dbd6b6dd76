// Replacing a file only by a complete new one.
#pragma once

#include <string>

enum class FileWriteResult {
    Written,  // the new content is in place
    Skipped,  // the file exists and the user marked it read-only: left as it was, nothing to tell
    Failed,   // anything else that kept the new content out (access denied, held open by another
              // program, disk full, folder gone, the replace refused): old file left as it was
};

#ifdef _WIN32
// UTF-16 on Windows, so a folder of any name works whatever the code page.
using FilePath = std::wstring;
#else
using FilePath = std::string;
#endif

// Writes bytes to a temporary file beside path and moves it over path only
// when every byte reached the disk, so a crash or a full disk never leaves a
// truncated file; the temporary file never outlives a failure. On Failed, *systemError (when given) holds the system's
// error code of the step that failed (GetLastError on Windows, errno elsewhere).
FileWriteResult WriteFileReplacing(const FilePath& path, const std::string& bytes,
                                   unsigned long* systemError = nullptr);
