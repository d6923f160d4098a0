#include "services/OfficeEvents.h"

#include <map>
#include <utility>
#include <vector>

namespace busdesk::office_events {

namespace {

std::map<std::string, std::function<void()>>& answeredListeners() {
    static std::map<std::string, std::function<void()>> listeners;
    return listeners;
}

std::map<std::string, std::function<void(const std::string&)>>& signedInListeners() {
    static std::map<std::string, std::function<void(const std::string&)>> listeners;
    return listeners;
}

// Copied first: a listener may add or remove listeners while it runs.
template <class Map, class... Args>
void tell(const Map& listeners, const Args&... args) {
    std::vector<typename Map::mapped_type> copy;
    for (const auto& [name, listener] : listeners) copy.push_back(listener);
    for (const auto& listener : copy)
        if (listener) listener(args...);
}

}  // namespace

void answered() {
    tell(answeredListeners());
}

void signedIn(const std::string& empID) {
    tell(signedInListeners(), empID);
}

void onAnswered(const std::string& name, std::function<void()> listener) {
    answeredListeners()[name] = std::move(listener);
}

void onSignedIn(const std::string& name, std::function<void(const std::string& empID)> listener) {
    signedInListeners()[name] = std::move(listener);
}

void removeListeners(const std::string& name) {
    answeredListeners().erase(name);
    signedInListeners().erase(name);
}

}  // namespace busdesk::office_events
