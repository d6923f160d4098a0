#include "core/SessionEnd.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/Log.h"

namespace busdesk {

namespace {
struct NamedStep {
    std::string name;
    SessionEnd::Step step;
};
std::vector<NamedStep>& steps() {
    static std::vector<NamedStep> list;
    return list;
}
}  // namespace

void SessionEnd::add(const std::string& name, Step step) {
    auto& list = steps();
    auto it = std::find_if(list.begin(), list.end(), [&](const NamedStep& s) { return s.name == name; });
    if (it != list.end())
        it->step = std::move(step);
    else
        list.push_back({name, std::move(step)});
}

void SessionEnd::remove(const std::string& name) {
    std::erase_if(steps(), [&](const NamedStep& s) { return s.name == name; });
}

std::vector<std::string> SessionEnd::stepNames() {
    std::vector<std::string> names;
    for (const auto& s : steps()) names.push_back(s.name);
    return names;
}

void SessionEnd::run(EndedSession& ended) {
    // A copy: a step may add or remove steps while it runs.
    auto list = steps();
    for (auto& s : list) {
        if (!s.step) continue;
        // Whatever one step cannot delete, the next still deletes its own.
        try {
            s.step(ended);
        } catch (const std::exception& e) {
            Log::line("sign-out step " + s.name + " failed: " + e.what());
        } catch (...) {
            Log::line("sign-out step " + s.name + " failed");
        }
    }
}

}  // namespace busdesk
