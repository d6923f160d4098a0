#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace busdesk {

// The terminal mode's commands across runs: one line each in a file of the state folder, mode
// 0600 (it may name cards and screens a user visited). Each line is appended as it is entered, so
// a killed session keeps what it ran; at load only the newest `limit` lines are read, and a file
// grown past twice that is rewritten with just those (atomically). A file that cannot be read or
// written leaves the session without recall, never without its commands. The caller hands in
// lines already fit to keep (ScriptRunner::lineForHistory masks passwords).
class CommandHistory {
  public:
    static constexpr std::size_t kDefaultLimit = 500;

    explicit CommandHistory(std::string path, std::size_t limit = kDefaultLimit);

    const std::string& path() const { return path_; }
    // The newest lines kept in the file, oldest first.
    std::vector<std::string> load();
    // Adds one line at the end; blank lines and lines holding a line break are not kept.
    bool append(const std::string& line);

  private:
    bool rewrite(const std::vector<std::string>& lines);
    std::string path_;
    std::size_t limit_;
};

}  // namespace busdesk
