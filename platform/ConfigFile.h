#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace busdesk {

// A short hand-written settings file in the INI style: one `key=value` a line; blank lines and
// lines starting with '#' or ';' are skipped; spaces around key and value are dropped. The reader
// knows no keys: the caller says which it understands.
//
// The file is opened without blocking and read only when it is a regular file of at most
// kMaxBytes, so a pipe, a device or a huge file in its place neither hangs nor floods the app.
class ConfigFile {
  public:
    static constexpr std::size_t kMaxBytes = 64 * 1024;

    struct Entry {
        int line = 0;
        std::string key;
        std::string value;
    };

    struct Content {
        bool exists = false;  // false: nothing at that path, which is no problem
        std::vector<Entry> entries;
        // "PATH:N: what is wrong" for each line that was skipped, or "PATH: ..." for a file that
        // could not be read at all.
        std::vector<std::string> problems;
    };

    static Content read(const std::string& path);

    // Gives `key` the value (nothing removes it), keeping every other line and comment as it was:
    // the first line of the key is replaced, later ones dropped, or a new line is appended. The
    // file is replaced atomically (temporary file, fsync, rename) with mode 0600; a link is
    // followed and its target replaced. A file that exists but cannot be read is never written
    // over. False, with the reason in `why`, when nothing was written.
    static bool setValue(const std::string& path, const std::string& key,
                         const std::optional<std::string>& value, std::string* why = nullptr);
};

}  // namespace busdesk
