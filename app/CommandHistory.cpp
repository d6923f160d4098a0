#include "app/CommandHistory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <string_view>

#include "platform/AtomicFile.h"
#include "platform/OwnFiles.h"
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

// Far more than kDefaultLimit lines of commands; a longer file is not ours to read.
constexpr std::size_t kMaxFileBytes = 4u << 20;
}  // namespace

CommandHistory::CommandHistory(std::string path, std::size_t limit) : path_(std::move(path)), limit_(limit) {}

std::vector<std::string> CommandHistory::load() {
    // Whatever stands at the path (a named pipe, a link to a device, a huge file) is read without
    // blocking and within a bound; anything but a readable regular file leaves no recall.
    const FileContents file = readOwnFile(path_, kMaxFileBytes);
    if (!file.ok()) return {};
    std::deque<std::string> newest;
    std::size_t total = 0;
    std::string_view rest = file.bytes;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string line(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
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
    if (!Paths::ensureDirectory(atomic_file::parentOf(path_))) return false;
    // Never waits on a named pipe and never writes through a link or into a device.
    int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // A file made by an older run or by hand is narrowed to its owner as well.
    ::fchmod(fd, 0600);
    bool ok = writeAll(fd, line + "\n");
    return ::close(fd) == 0 && ok;
}

bool CommandHistory::rewrite(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\n";
    return atomic_file::replace(path_, bytes) == 0;
}

}  // namespace busdesk
