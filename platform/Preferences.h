#pragma once

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace busdesk {

// The per-user settings store: text keys to JSON values, kept in one JSON object file
// (settings.json in Paths::configDir()). Every setObject and every removeObject rewrites the file
// atomically before returning -- temporary file in the same folder, fsync, rename over the old
// file, fsync of the folder -- so a crash at any moment leaves either the old or the new content.
// Removal is written as surely as a write: logout removes the remembered password, and a crash
// right after must not bring it back.
//
// The file is read with readOwnFile: never waited on, at most kMaxFileBytes. A file that does not
// parse (a UTF-8 byte-order mark before valid JSON is fine), is longer than that, or is no
// regular file at all (a named pipe, a link to a device) is moved aside to
// settings.json.corrupt-N, numbered after the newest such copy, keeping the last
// kMaxCorruptCopies (one log line), and the store starts empty. A file that cannot be read at all
// (permission, too many open files, I/O error, a folder in its place) is not damage: it stays in
// place, the store runs empty without saving, and says so once. A file the user made read-only is
// read and never written (said once). A symbolic link is followed: its target is replaced, in the
// target's own folder, and the link stays. Saving that fails says so once. Temporaries are named
// settings.json.busdesk-tmp-XXXXXX; only those are cleared at start, and only with
// Leftovers::Clear. All operations are thread-safe.
class Preferences {
  public:
    // Clear is for the copy that holds the profile (ProfileLock): another copy's temporary file
    // in the making looks just like one a killed writer left.
    enum class Leftovers { Keep, Clear };

    explicit Preferences(std::string filePath, Leftovers leftovers = Leftovers::Keep);
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    // The store over settings.json in the current Paths::configDir(). When the profile folder
    // changes (tests, --profile) the next call opens the store of the new folder; references to
    // earlier stores stay valid. Leftovers are cleared when this process holds the profile lock.
    static Preferences& standard();

    // Both return whether the new content reached the disk; the value is kept in memory either way.
    bool setObject(const std::string& key, boost::json::value value);
    bool removeObject(const std::string& key);
    // Several keys gone in one write: either all of them are gone on disk or none is.
    bool removeObjects(const std::vector<std::string>& keys);
    std::optional<boost::json::value> objectForKey(const std::string& key) const;

    boost::json::object snapshot() const;
    const std::string& filePath() const { return path_; }

    static constexpr std::size_t kMaxCorruptCopies = 5;
    // A handful of short texts and read marks; nothing we write comes near it.
    static constexpr std::size_t kMaxFileBytes = 1u << 20;

  private:
    void load(Leftovers leftovers);
    void moveDamagedAside(const std::string& problem);
    bool persistLocked();
    // 0, or the errno of the step that failed.
    int writeFileLocked();

    std::string path_;
    mutable std::mutex mutex_;
    boost::json::object values_;
    // False when the file could not be read, or when a damaged file could not be moved aside:
    // then nothing is written over it.
    bool writable_ = true;
    bool saveFailureReported_ = false;
};

}  // namespace busdesk
