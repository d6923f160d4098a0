#include "platform/OwnFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/ConsoleText.h"

namespace busdesk {

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

FileContents withStatus(FileContents::Status status) {
    FileContents out;
    out.status = status;
    return out;
}

FileContents notRegular(const char* kind) {
    FileContents out = withStatus(FileContents::Status::NotRegular);
    out.kind = kind;
    return out;
}

FileContents unreadable(int error) {
    FileContents out = withStatus(FileContents::Status::Unreadable);
    out.error = error;
    return out;
}

FileContents tooLarge(std::uint64_t size) {
    FileContents out = withStatus(FileContents::Status::TooLarge);
    out.size = size;
    return out;
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::string FileContents::problem(std::size_t limit) const {
    switch (status) {
        case Status::Ok:
            return "was read";
        case Status::Missing:
            return "does not exist";
        case Status::Folder:
            return "is a folder";
        case Status::NotRegular:
            return std::string("is ") + kind + ", not a regular file";
        case Status::TooLarge:
            return "is larger than " + byteCountText(limit) + " (" + byteCountText(size) + ")";
        case Status::Unreadable:
            return std::string("cannot be read (") + std::strerror(error) + ")";
    }
    return "cannot be read";
}

FileContents readOwnFile(const std::string& path, std::size_t limit, Links links) {
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == Links::Refuse) flags |= O_NOFOLLOW;
    const Descriptor file(::open(path.c_str(), flags));
    if (file.get() < 0) {
        const int error = errno;
        // No file there, not even its folder (ENOTDIR: a file stands where the folder should be).
        if (error == ENOENT || error == ENOTDIR) return withStatus(FileContents::Status::Missing);
        if (error == ELOOP) return notRegular(links == Links::Refuse ? "a symbolic link" : "a loop of links");
        // A socket cannot be opened at all.
        if (error == ENXIO) return notRegular("a socket");
        return unreadable(error);
    }
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) return unreadable(errno);
    if (S_ISDIR(st.st_mode)) return withStatus(FileContents::Status::Folder);
    if (!S_ISREG(st.st_mode)) return notRegular(kindOf(st.st_mode));
    if (st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) > limit)
        return tooLarge(static_cast<std::uint64_t>(st.st_size));
    FileContents out;
    out.mode = st.st_mode & 07777;
    out.bytes.reserve(static_cast<std::size_t>(st.st_size));
    // One byte past the limit tells a file that grew while it was read (or one whose size the
    // kernel does not know, as in /proc) from one that fits.
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const std::size_t want = std::min(buffer.size(), limit + 1 - out.bytes.size());
        const ssize_t n = ::read(file.get(), buffer.data(), want);
        if (n < 0) {
            if (errno == EINTR) continue;
            return unreadable(errno);
        }
        if (n == 0) break;
        out.bytes.append(buffer.data(), static_cast<std::size_t>(n));
        if (out.bytes.size() > limit) return tooLarge(out.bytes.size());
    }
    out.status = FileContents::Status::Ok;
    out.size = out.bytes.size();
    return out;
}

}  // namespace busdesk
