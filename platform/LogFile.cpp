#include "platform/LogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Paths.h"

namespace busdesk {

namespace {
bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
}  // namespace

LogFile::LogFile(std::string path, std::size_t maxBytes, int oldFiles)
    : path_(std::move(path)), maxBytes_(maxBytes), oldFiles_(oldFiles) {}

LogFile::~LogFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LogFile::open() {
    if (fd_ >= 0) return true;
    const auto slash = path_.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !Paths::ensureDirectory(path_.substr(0, slash)))
        return false;
    // O_NONBLOCK: a named pipe in the file's place is not waited on (and refused below).
    const int fd =
        ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    // A log an earlier version left world-readable is closed to others now.
    if ((st.st_mode & 077) != 0) ::fchmod(fd, 0600);
    fd_ = fd;
    size_ = static_cast<std::size_t>(st.st_size);
    return true;
}

void LogFile::rotate() {
    ::close(fd_);
    fd_ = -1;
    std::remove(oldName(oldFiles_).c_str());
    for (int n = oldFiles_ - 1; n >= 1; --n) std::rename(oldName(n).c_str(), oldName(n + 1).c_str());
    if (oldFiles_ > 0) {
        std::rename(path_.c_str(), oldName(1).c_str());
    } else {
        std::remove(path_.c_str());
    }
    open();
}

void LogFile::writeLine(std::string_view line) {
    if (fd_ < 0) return;
    std::string text(line);
    text += '\n';
    if (size_ > 0 && size_ + text.size() > maxBytes_) {
        rotate();
        if (fd_ < 0) return;
    }
    if (writeAll(fd_, text)) size_ += text.size();
}

}  // namespace busdesk
