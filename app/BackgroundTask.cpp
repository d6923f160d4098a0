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
    auto& g = grants();
    std::lock_guard lock(g.mutex);
    auto id = g.next++;
    g.open.emplace(id, std::move(handler));
    return id;
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
