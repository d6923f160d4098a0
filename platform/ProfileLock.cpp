#include "platform/ProfileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/Paths.h"

namespace busdesk {

namespace {

struct LockState {
    std::mutex mutex;
    int fd = -1;
    std::string path;
};

LockState& state() {
    static LockState s;
    return s;
}

void releaseLocked(LockState& s) {
    if (s.fd >= 0) ::close(s.fd);  // closing the last descriptor drops the flock
    s.fd = -1;
    s.path.clear();
}

}  // namespace

std::string ProfileLock::lockFilePath() {
    return Paths::stateDir() + "/busdesk.lock";
}

ProfileLock::Result ProfileLock::acquire(std::string* problem) {
    auto& s = state();
    const std::string path = lockFilePath();
    std::lock_guard lock(s.mutex);
    if (s.fd >= 0 && s.path == path) return Result::Held;
    releaseLocked(s);
    auto fail = [&](const std::string& why) {
        if (problem) *problem = why;
        return Result::Unavailable;
    };
    if (!Paths::ensureDirectory(Paths::stateDir()))
        return fail("cannot make the folder " + Paths::stateDir() + " (" + std::strerror(errno) + ")");
    // O_NOFOLLOW: a link put in the lock file's place is not followed to somebody else's file.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) return fail("cannot open " + path + " (" + std::strerror(errno) + ")");
    ::fchmod(fd, 0600);
    int rc = 0;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            if (problem) *problem = "BusDesk is already running with this profile";
            return Result::TakenByAnother;
        }
        return fail("cannot lock " + path + " (" + std::strerror(error) + ")");
    }
    // Who holds it, for a person looking at the file; nothing reads it back.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.data(), pid.size()) < 0) {
        // Only a note for people: the lock holds without it.
    }
    s.fd = fd;
    s.path = path;
    return Result::Held;
}

bool ProfileLock::held() {
    auto& s = state();
    const std::string path = lockFilePath();
    std::lock_guard lock(s.mutex);
    return s.fd >= 0 && s.path == path;
}

void ProfileLock::release() {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    releaseLocked(s);
}

}  // namespace busdesk
