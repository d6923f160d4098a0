#include "net/NotificationCenter.h"

#include <vector>

namespace busdesk {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const std::string& name, Observer observer) {
    std::lock_guard lock(mutex_);
    Token token = next_++;
    observers_.emplace(token, std::make_pair(name, std::move(observer)));
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::lock_guard lock(mutex_);
    observers_.erase(token);
}

bool NotificationCenter::hasObservers(std::string_view name) {
    std::lock_guard lock(mutex_);
    for (const auto& [token, entry] : observers_) {
        if (entry.first == name) return true;
    }
    return false;
}

void NotificationCenter::post(const std::string& name, std::any object) {
    std::vector<Observer> matching;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [token, entry] : observers_) {
            if (entry.first == name) matching.push_back(entry.second);
        }
    }
    Notification notification{name, std::move(object)};
    for (const auto& observer : matching) observer(notification);
}

}  // namespace busdesk
