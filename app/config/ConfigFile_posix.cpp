#include "ConfigFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

FileWriteResult WriteFileReplacing(const FilePath& path, const std::string& bytes, unsigned long* systemError) {
    auto failed = [&] {
        if (systemError) *systemError = static_cast<unsigned long>(errno);
        return FileWriteResult::Failed;
    };
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && ::access(path.c_str(), W_OK) != 0) return FileWriteResult::Skipped;

    std::string temp = path + "." + std::to_string(::getpid()) + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return failed();
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return failed();
    }
    return FileWriteResult::Written;
}
