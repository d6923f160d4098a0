#include "platform/Date.h"

#include <chrono>
#include <mutex>

namespace busdesk {
namespace {
std::mutex& nowMutex() {
    static std::mutex m;
    return m;
}
std::optional<Date>& fixedNow() {
    static std::optional<Date> d;
    return d;
}
}  // namespace

Date Date::now() {
    {
        std::lock_guard lock(nowMutex());
        if (fixedNow()) return *fixedNow();
    }
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return Date{std::chrono::duration<double>(since).count()};
}

void Date::setNow(std::optional<Date> fixed) {
    std::lock_guard lock(nowMutex());
    fixedNow() = fixed;
}

}  // namespace busdesk
