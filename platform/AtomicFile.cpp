#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

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

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The numbers N of the copies "<name>.corrupt-N" beside `path`, lowest first.
std::vector<unsigned long> corruptCopyNumbers(const std::string& path) {
    const std::string prefix = baseName(path) + ".corrupt-";
    std::vector<unsigned long> numbers;
    DIR* d = ::opendir(parentOf(path).c_str());
    if (!d) return numbers;
    while (const dirent* entry = ::readdir(d)) {
        std::string_view name(entry->d_name);
        if (name.size() <= prefix.size() || name.size() > prefix.size() + 9 ||
            name.substr(0, prefix.size()) != prefix)
            continue;
        std::string_view digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string_view::npos) continue;
        numbers.push_back(std::stoul(std::string(digits)));
    }
    ::closedir(d);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// Renames without replacing what is already there.
bool renameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}
}  // namespace

std::optional<std::string> moveAside(const std::string& path, std::size_t keep) {
    auto numbers = corruptCopyNumbers(path);
    unsigned long next = numbers.empty() ? 1 : numbers.back() + 1;
    for (int attempt = 0; attempt < 8; ++attempt, ++next) {
        std::string aside = path + ".corrupt-" + std::to_string(next);
        if (renameNoReplace(path, aside)) {
            numbers.push_back(next);
            std::sort(numbers.begin(), numbers.end());
            for (std::size_t i = 0; i + keep < numbers.size(); ++i)
                ::unlink((path + ".corrupt-" + std::to_string(numbers[i])).c_str());
            return aside;
        }
        if (errno != EEXIST) break;
    }
    return std::nullopt;
}

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
