#include "platform/Preferences.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/OwnFiles.h"
#include "platform/Paths.h"
#include "platform/ProfileLock.h"

namespace busdesk {
namespace {

// The file a write replaces: the settings file itself or, when it is a symbolic link the user
// made (to a copy kept with their other configuration), the file the link leads to, so the link
// stays a link and its target gets the new content, replaced in its own folder. A relative link is
// read from the link's folder; a dangling one names the file to create. After 40 links (the
// kernel's own limit) the settings file itself is replaced.
std::string writeTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size() - 1);
        if (n <= 0) return current;
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        if (next.front() != '/') next = atomic_file::parentOf(current) + "/" + next;
        current = std::move(next);
    }
    return path;
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporaries carry a marker no one else uses, so the clean-up at start never touches a file the
// user put beside the settings (settings.json.backup, settings.json.orig...).
using atomic_file::kTemporaryMarker;
using atomic_file::parentOf;
constexpr std::size_t kTemporarySuffix = 6;  // mkostemp's XXXXXX

// A crash between creating the temporary file and renaming it leaves one behind; the next start
// removes those so they do not pile up.
void removeStaleTemporaries(const std::string& path) {
    const std::string prefix = baseName(path) + std::string(kTemporaryMarker);
    DIR* d = ::opendir(parentOf(path).c_str());
    if (!d) return;
    while (const dirent* entry = ::readdir(d)) {
        std::string_view name(entry->d_name);
        if (name.size() != prefix.size() + kTemporarySuffix || name.substr(0, prefix.size()) != prefix)
            continue;
        ::unlinkat(::dirfd(d), entry->d_name, 0);
    }
    ::closedir(d);
}

}  // namespace

Preferences::Preferences(std::string filePath, Leftovers leftovers) : path_(std::move(filePath)) {
    load(leftovers);
}

Preferences& Preferences::standard() {
    static std::mutex m;
    // Earlier stores are kept alive so a reference handed out before a profile change never dangles.
    static std::vector<std::unique_ptr<Preferences>> stores;
    std::string path = Paths::configDir() + "/settings.json";
    std::lock_guard lock(m);
    if (stores.empty() || stores.back()->filePath() != path) {
        for (auto& s : stores) {
            if (s->filePath() == path) return *s;
        }
        stores.push_back(
            std::make_unique<Preferences>(path, ProfileLock::held() ? Leftovers::Clear : Leftovers::Keep));
    }
    return *stores.back();
}

void Preferences::load(Leftovers leftovers) {
    if (leftovers == Leftovers::Clear) removeStaleTemporaries(path_);
    const FileContents file = readOwnFile(path_, kMaxFileBytes, Links::Follow);
    switch (file.status) {
        case FileContents::Status::Missing:
            return;
        case FileContents::Status::Folder:
        case FileContents::Status::Unreadable:
            // Not damage: the file may be perfectly good (no permission now, too many open files,
            // an I/O error). It stays where it is and is never written over from this run.
            writable_ = false;
            Log::line("settings: " + path_ + " " + file.problem(kMaxFileBytes) +
                      ", running without the saved settings; the file is left as it is and nothing is saved");
            return;
        case FileContents::Status::NotRegular:
        case FileContents::Status::TooLarge:
            // A named pipe, a device, a file no settings of ours could grow to: set aside as damage,
            // so the next start finds no such thing in its place.
            moveDamagedAside(file.problem(kMaxFileBytes));
            return;
        case FileContents::Status::Ok:
            break;
    }
    // A byte-order mark some editors put before the text.
    constexpr std::string_view kBOM = "\xEF\xBB\xBF";
    std::string_view json = file.bytes;
    if (json.substr(0, kBOM.size()) == kBOM) json.remove_prefix(kBOM.size());
    boost::system::error_code ec;
    boost::json::value parsed = boost::json::parse(json, ec);
    if (ec || !parsed.is_object()) {
        moveDamagedAside("does not hold a JSON object");
        return;
    }
    values_ = std::move(parsed.as_object());
    // The user made the file read-only (for root too, who could write it anyway): it is theirs to
    // keep as it is.
    if ((file.mode & S_IWUSR) == 0) {
        writable_ = false;
        Log::line("settings: " + path_ + " is read-only; settings will not be saved");
    }
}

void Preferences::moveDamagedAside(const std::string& problem) {
    auto aside = atomic_file::moveAside(path_, kMaxCorruptCopies);
    if (!aside) {
        writable_ = false;
        Log::line("settings: " + path_ + " " + problem + " and could not be moved aside (" +
                  std::strerror(errno) + "), starting empty without saving");
        return;
    }
    Log::line("settings: " + path_ + " " + problem + "; moved to " + *aside + ", starting empty");
}

bool Preferences::persistLocked() {
    if (!writable_) return false;
    const int failure = writeFileLocked();
    if (failure == 0) {
        saveFailureReported_ = false;
        return true;
    }
    // Once, not at every change: the values are still kept for this run.
    if (!saveFailureReported_) {
        saveFailureReported_ = true;
        Log::line("settings: cannot save to " + path_ + " (" + std::strerror(failure) +
                  "); changes are kept only until the app quits");
    }
    return false;
}

int Preferences::writeFileLocked() {
    return atomic_file::replace(writeTarget(path_), boost::json::serialize(values_));
}

bool Preferences::setObject(const std::string& key, boost::json::value value) {
    std::lock_guard lock(mutex_);
    values_[key] = std::move(value);
    return persistLocked();
}

bool Preferences::removeObject(const std::string& key) {
    std::lock_guard lock(mutex_);
    if (values_.erase(key) == 0) return true;
    return persistLocked();
}

bool Preferences::removeObjects(const std::vector<std::string>& keys) {
    std::lock_guard lock(mutex_);
    std::size_t removed = 0;
    for (const auto& key : keys) removed += values_.erase(key);
    return removed == 0 || persistLocked();
}

std::optional<boost::json::value> Preferences::objectForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    if (auto* v = values_.if_contains(key)) return *v;
    return std::nullopt;
}

boost::json::object Preferences::snapshot() const {
    std::lock_guard lock(mutex_);
    return values_;
}

}  // namespace busdesk
