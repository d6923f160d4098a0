#include "app/BackgroundTask.h"

#include <map>
#include <mutex>
#include <vector>

namespace busdesk {

namespace {

struct Grants {
    std::mutex mutex;
    BackgroundTaskIdentifier next = 1;
    std::map<BackgroundTaskIdentifier, std::function<void()>> open;
};

Grants& grants() {
    static Grants g;
    return g;
}

}  // namespace

BackgroundTaskIdentifier BackgroundTasks::beginBackgroundTaskWithExpirationHandler(
    std::function<void()> handler) {
    std::function<void()> expired;
    BackgroundTaskIdentifier id;
    {
        auto& g = grants();
        std::lock_guard lock(g.mutex);
        if (g.open.size() >= kMaxOpenGrants) {
            // Identifiers only grow, so the first entry is the oldest.
            expired = std::move(g.open.begin()->second);
            g.open.erase(g.open.begin());
        }
        id = g.next++;
        g.open.emplace(id, std::move(handler));
    }
    // Outside the lock: a handler may ask for a new grant.
    if (expired) expired();
    return id;
}

void BackgroundTasks::endBackgroundTask(BackgroundTaskIdentifier identifier) {
    std::function<void()> dropped;
    {
        auto& g = grants();
        std::lock_guard lock(g.mutex);
        auto it = g.open.find(identifier);
        if (it == g.open.end()) return;
        dropped = std::move(it->second);
        g.open.erase(it);
    }
    // Destroyed outside the lock: what the handler holds may itself end a grant.
}

void BackgroundTasks::expireAll() {
    std::map<BackgroundTaskIdentifier, std::function<void()>> due;
    {
        auto& g = grants();
        std::lock_guard lock(g.mutex);
        due.swap(g.open);
    }
    // Outside the lock: a handler may ask for a new grant.
    for (auto& [id, handler] : due)
        if (handler) handler();
}

std::size_t BackgroundTasks::openCount() {
    auto& g = grants();
    std::lock_guard lock(g.mutex);
    return g.open.size();
}

}  // namespace busdesk
