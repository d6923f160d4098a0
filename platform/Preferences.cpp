#include "platform/Preferences.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/Log.h"
#include "platform/Paths.h"

namespace busdesk {
namespace {

std::string parentOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool writeAll(int fd, const std::string& data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

enum class ReadResult { Missing, Ok, Failed };

ReadResult readFile(const std::string& path, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

// A crash between creating the temporary file and renaming it leaves "settings.json.XXXXXX"
// behind; the next start removes such leftovers so they do not pile up.
void removeStaleTemporaries(const std::string& path) {
    const std::string dir = parentOf(path);
    const auto slash = path.find_last_of('/');
    const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* entry = ::readdir(d)) {
        std::string_view name(entry->d_name);
        // Exactly six characters after the dot: mkostemp's suffix ("settings.json.corrupt" has seven).
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        ::unlinkat(::dirfd(d), entry->d_name, 0);
    }
    ::closedir(d);
}

}  // namespace

Preferences::Preferences(std::string filePath) : path_(std::move(filePath)) {
    load();
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
        stores.push_back(std::make_unique<Preferences>(path));
    }
    return *stores.back();
}

void Preferences::load() {
    removeStaleTemporaries(path_);
    std::string text;
    ReadResult r = readFile(path_, text);
    if (r == ReadResult::Missing) return;
    if (r == ReadResult::Ok) {
        boost::system::error_code ec;
        boost::json::value parsed = boost::json::parse(text, ec);
        if (!ec && parsed.is_object()) {
            values_ = std::move(parsed.as_object());
            return;
        }
    }
    std::string aside = path_ + ".corrupt";
    if (::rename(path_.c_str(), aside.c_str()) == 0) {
        Log::line("settings: unreadable " + path_ + " moved to " + aside + ", starting empty");
    } else {
        writable_ = false;
        Log::line("settings: unreadable " + path_ + " could not be moved aside (" + std::strerror(errno) +
                  "), starting empty without saving");
    }
}

bool Preferences::persistLocked() {
    if (!writable_) return false;
    std::string dir = parentOf(path_);
    if (!Paths::ensureDirectory(dir)) return false;
    std::string tmpl = path_ + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    std::string data = boost::json::serialize(values_);
    bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(name.data(), path_.c_str()) == 0;
    if (!ok) {
        ::unlink(name.data());
        return false;
    }
    // The rename is only durable once the folder entry itself is on disk.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
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
