#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace busdesk {

// Reading the files BusDesk keeps in the profile: the settings, album and cached pictures, and
// the stores, outbox entries and terminal history. Whatever stands at such a path may have been
// put there by someone else -- a named pipe, a link to /dev/zero, a 200 MB file -- so every reader
// of such a file goes through readOwnFile, which never blocks on it and never reads more than the
// caller's limit. What it refuses the caller treats like a damaged file: set aside (or skipped),
// with one clear line built from FileContents::problem, and the app goes on.

// Whether a symbolic link at the path itself is followed (a settings file the user linked to a
// copy of their own) or refused (a file only we write, such as a cached picture).
enum class Links { Follow, Refuse };

struct FileContents {
    enum class Status {
        Ok,          // `bytes` holds the whole file
        Missing,     // nothing there (nor its folder)
        Folder,      // a folder stands there
        NotRegular,  // a named pipe, device, socket or (with Links::Refuse) a link: `kind` says which
        TooLarge,    // a regular file longer than the limit: nothing is kept
        Unreadable,  // it could not be opened or read: `error` holds the errno
    };
    Status status = Status::Missing;
    std::string bytes;
    int error = 0;
    // What stands there when it is no regular file: "a named pipe", "a character device", ...
    const char* kind = "";
    // The size seen: the whole file when Ok, more than the limit when TooLarge.
    std::uint64_t size = 0;
    // The permission bits of the file read (after links), when it could be opened.
    unsigned mode = 0;

    bool ok() const { return status == Status::Ok; }
    // Why the file was not read, as the end of a log line after its path: "is a named pipe, not a
    // regular file", "is larger than 1.0 MB (2.1 MB)", "cannot be read (Permission denied)".
    std::string problem(std::size_t limit) const;
};

// Opens without blocking (O_NONBLOCK: a named pipe with no writer answers at once, a device is
// never waited on), with O_NOFOLLOW under Links::Refuse, requires a regular file, and reads at
// most `limit` bytes: a longer file, or one that grows past the limit while it is read (or whose
// size the kernel does not tell), is TooLarge. Safe from any thread.
FileContents readOwnFile(const std::string& path, std::size_t limit, Links links = Links::Follow);

}  // namespace busdesk
