#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

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
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    auto slash = dir.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !ensureDirectory(dir.substr(0, slash))) return false;
    if (::mkdir(dir.c_str(), 0700) == 0) return true;
    return errno == EEXIST && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace busdesk
