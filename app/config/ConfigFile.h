// Replacing a file only by a complete new one.
#pragma once

#include <string>

enum class FileWriteResult {
    Written,   // the new content is in place
    Skipped,   // the file exists but may not be written (read-only, locked): left as it was
    Failed,    // writing the new content failed (disk full, folder gone): old file left as it was
};

// Writes bytes to a temporary file beside path and moves it over path only
// when every byte reached the disk, so a crash or a full disk never leaves a
// truncated file. path is in the system's ANSI code page on Windows.
FileWriteResult WriteFileReplacing(const std::string& path, const std::string& bytes);
