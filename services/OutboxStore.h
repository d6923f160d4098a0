#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services/FeedbackSubmission.h"

namespace busdesk {

// One kept submission: its identifier (a UUID, also its idempotency key and its folder's name), the
// folder that holds its entry file and its photos, and the submission as last recorded.
struct OutboxEntry {
    std::string id;
    std::string dir;
    std::int64_t created = 0;  // seconds since the epoch, for the order of sending
    FeedbackSubmissionState state;
};

// The outbox on disk: ROOT/<user>/<uuid>/ holds `entry.json` (the submission, replaced whole at
// every change) and the photos copied in (`photo-<k>`), folders 0700 and files 0600. A new entry
// is made complete in a hidden folder and renamed into place, so a kill at any instant leaves
// either no entry or a whole one; after that every change is an atomic replacement of the entry
// file. Blocking: callers run it off the main thread (FeedbackOutbox uses a serial queue).
class OutboxStore {
  public:
    // Paths::dataDir()/outbox.
    static std::string defaultRoot();
    explicit OutboxStore(std::string root) : root_(std::move(root)) {}
    const std::string& root() const { return root_; }

    // Largest entry file read back; a bigger one counts as damaged.
    static constexpr std::size_t kMaxEntryBytes = 1 << 20;
    // Largest photo copied in.
    static constexpr std::size_t kMaxPhotoBytes = std::size_t{64} << 20;

    // The user's folder: the employee identifier written in hex, so any identifier is one safe name.
    std::string userDir(const std::string& empID) const;

    struct Put {
        std::optional<OutboxEntry> entry;
        std::string error;  // why nothing was kept (a full disk, an unreadable photo); the form keeps all
    };
    // Keeps a new submission of `empID`: copies every photo (a file, or the photo's bytes) into the
    // entry, gives each photo a fixed form field name, and makes the entry durable before it returns.
    // A photo whose file cannot be read is kept as refused (that photo alone fails). Nothing of the
    // submission remains when writing fails.
    Put put(const std::string& empID, FeedbackSubmissionState state, std::int64_t now) const;

    // Replaces the entry file by the entry's state. False when it could not be written.
    bool record(const OutboxEntry& entry) const;
    // The entry as its file now stands; nothing when it is gone or does not read.
    static std::optional<OutboxEntry> reload(const OutboxEntry& entry);
    // Deletes the entry and its photos.
    bool remove(const OutboxEntry& entry) const;

    struct Listing {
        std::vector<OutboxEntry> entries;  // oldest first
        std::vector<std::string> damaged;  // folders set aside in this call, by their new names
    };
    // The user's entries. An entry that does not read back is renamed to `damaged-<name>` (so it is
    // named once and never again blocks the others); folders half made by a killed writer are
    // removed when `clearLeftovers` (only the copy holding the profile lock may).
    Listing list(const std::string& empID, bool clearLeftovers) const;

    // The entry file's text, and a state read back from it (photo files joined to `dir`).
    static std::string encode(const OutboxEntry& entry);
    static std::optional<OutboxEntry> decode(const std::string& text, const std::string& dir);

    // Held while a submission is being sent, so that two copies of the program never send one
    // submission at once: an exclusive flock on the entry's `lock` file, released when destroyed.
    class Lock {
      public:
        Lock() = default;
        explicit Lock(int fd) : fd_(fd) {}
        Lock(Lock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
        Lock& operator=(Lock&& other) noexcept;
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        ~Lock();
        bool held() const { return fd_ >= 0; }

      private:
        int fd_ = -1;
    };
    // The entry's lock, or an empty one when another holder has it (or it cannot be made).
    static Lock tryLock(const OutboxEntry& entry);

  private:
    std::string root_;
};

}  // namespace busdesk
