#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Paths.h"

namespace busdesk::atomic_file {

namespace {
bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}
}  // namespace

std::string parentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

int replace(const std::string& path, std::string_view data) {
    const std::string dir = parentOf(path);
    errno = 0;
    if (!Paths::ensureDirectory(dir)) return errno ? errno : ENOTDIR;
    std::string name = path + std::string(kTemporaryMarker) + "XXXXXX";
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    int failure = 0;
    if (::fchmod(fd, 0600) != 0 || !writeAll(fd, data) || ::fsync(fd) != 0) failure = errno ? errno : EIO;
    if (::close(fd) != 0 && failure == 0) failure = errno ? errno : EIO;
    if (failure == 0 && ::rename(name.c_str(), path.c_str()) != 0) failure = errno ? errno : EIO;
    if (failure != 0) {
        ::unlink(name.c_str());
        return failure;
    }
    // The rename is only durable once the folder entry itself is on disk.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return 0;
}

}  // namespace busdesk::atomic_file
