#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace busdesk {
namespace {

std::mutex& pathsMutex() {
    static std::mutex m;
    return m;
}
std::string& profileRef() {
    static std::string p;
    return p;
}

std::string homeDir() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// The XDG rules say a relative value is invalid and must be ignored.
std::string xdg(const char* variable, const char* fallbackBelowHome) {
    if (const char* v = std::getenv(variable); v && v[0] == '/') return std::string(v) + "/busdesk";
    return homeDir() + "/" + fallbackBelowHome + "/busdesk";
}

std::string inProfileOr(const char* child, const char* variable, const char* fallback) {
    std::lock_guard lock(pathsMutex());
    if (!profileRef().empty()) return profileRef() + "/" + child;
    return xdg(variable, fallback);
}

bool makeFolder(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    auto slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolder(dir.substr(0, slash))) return false;
    // The umask may take bits away from 0700 (never add any); the mode is said again after.
    if (::mkdir(dir.c_str(), 0700) == 0) {
        ::chmod(dir.c_str(), 0700);
        return true;
    }
    return errno == EEXIST && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Only a real folder of our own user is changed: never through a link, never someone else's.
void tighten(const std::string& dir) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return;
    if ((st.st_mode & 077) != 0) ::chmod(dir.c_str(), st.st_mode & 0700);
}

std::vector<std::string> ownFolders() {
    return {Paths::configDir(), Paths::cacheDir(), Paths::dataDir(), Paths::stateDir()};
}

}  // namespace

void Paths::setProfileDir(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    std::lock_guard lock(pathsMutex());
    profileRef() = std::move(dir);
}

void Paths::clearProfileDir() {
    std::lock_guard lock(pathsMutex());
    profileRef().clear();
}

std::string Paths::profileDir() {
    std::lock_guard lock(pathsMutex());
    return profileRef();
}

std::string Paths::configDir() {
    return inProfileOr("config", "XDG_CONFIG_HOME", ".config");
}
std::string Paths::cacheDir() {
    return inProfileOr("cache", "XDG_CACHE_HOME", ".cache");
}
std::string Paths::dataDir() {
    return inProfileOr("data", "XDG_DATA_HOME", ".local/share");
}
std::string Paths::stateDir() {
    return inProfileOr("state", "XDG_STATE_HOME", ".local/state");
}

bool Paths::ensureDirectory(const std::string& dir) {
    if (dir.empty()) return false;
    if (!makeFolder(dir)) return false;
    for (const auto& own : ownFolders()) {
        if (dir != own &&
            !(dir.size() > own.size() && dir.compare(0, own.size(), own) == 0 && dir[own.size()] == '/'))
            continue;
        tighten(own);
        for (auto slash = dir.find('/', own.size() + 1); slash != std::string::npos;
             slash = dir.find('/', slash + 1))
            tighten(dir.substr(0, slash));
        if (dir != own) tighten(dir);
    }
    return true;
}

void Paths::tightenOwnFolders() {
    for (const auto& own : ownFolders()) tighten(own);
}

}  // namespace busdesk
