#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace busdesk {

struct Notification {
    std::string name;
    std::any object;
};

// Observers by name; post() calls them synchronously on the posting thread (the network layer
// posts on the main thread).
class NotificationCenter {
  public:
    using Observer = std::function<void(const Notification&)>;
    using Token = std::uint64_t;

    static NotificationCenter& defaultCenter();
    Token addObserver(const std::string& name, Observer observer);
    void removeObserver(Token token);
    void post(const std::string& name, std::any object);
    // Whether anyone observes `name` now (any thread): a poster on another thread can spare the
    // main thread a wake-up for a notification nobody would receive.
    bool hasObservers(std::string_view name);

  private:
    std::mutex mutex_;
    std::map<Token, std::pair<std::string, Observer>> observers_;
    Token next_ = 1;
};

}  // namespace busdesk
