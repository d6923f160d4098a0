#include "app/CommandHistory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <fstream>

#include "platform/Paths.h"

namespace busdesk {

namespace {
bool blank(const std::string& line) {
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
}  // namespace

CommandHistory::CommandHistory(std::string path, std::size_t limit) : path_(std::move(path)), limit_(limit) {}

std::vector<std::string> CommandHistory::load() {
    std::ifstream in(path_);
    if (!in) return {};
    std::deque<std::string> newest;
    std::size_t total = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (blank(line)) continue;
        ++total;
        newest.push_back(std::move(line));
        if (newest.size() > limit_) newest.pop_front();
    }
    std::vector<std::string> lines(newest.begin(), newest.end());
    if (total > 2 * limit_) rewrite(lines);
    return lines;
}

bool CommandHistory::append(const std::string& line) {
    if (blank(line) || line.find('\n') != std::string::npos) return false;
    if (!Paths::ensureDirectory(folderOf(path_))) return false;
    int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // A file made by an older run or by hand is narrowed to its owner as well.
    ::fchmod(fd, 0600);
    bool ok = writeAll(fd, line + "\n");
    return ::close(fd) == 0 && ok;
}

bool CommandHistory::rewrite(const std::vector<std::string>& lines) {
    std::string temp = path_ + ".busdesk-tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\n";
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path_.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

}  // namespace busdesk
