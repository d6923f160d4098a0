#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace busdesk {

// A log file of ours (the terminal mode's console.log): mode 0600 whatever the umask (its lines
// name staff and card numbers), never through a link, and rotated so it cannot grow for ever:
// past kMaxBytes the file becomes console.log.1, the older ones move up to .2 and .3, and the
// oldest beyond kOldFiles is removed. Not thread-safe by itself: Log calls its sink under its own
// lock.
class LogFile {
  public:
    static constexpr std::size_t kMaxBytes = 1u << 20;
    static constexpr int kOldFiles = 3;

    explicit LogFile(std::string path, std::size_t maxBytes = kMaxBytes, int oldFiles = kOldFiles);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens (creating the folder and the file) for appending; false, with errno set, when the
    // file cannot be had or something other than a regular file stands in its place.
    bool open();
    bool isOpen() const { return fd_ >= 0; }
    // Appends the line and a line break, rotating first when the line would take the file past
    // the limit.
    void writeLine(std::string_view line);
    const std::string& path() const { return path_; }

  private:
    void rotate();
    std::string oldName(int n) const { return path_ + "." + std::to_string(n); }

    std::string path_;
    std::size_t maxBytes_;
    int oldFiles_;
    int fd_ = -1;
    std::size_t size_ = 0;
};

}  // namespace busdesk
