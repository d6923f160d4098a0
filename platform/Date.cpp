#include "platform/Date.h"

#include <chrono>

#include "platform/RunLoop.h"

namespace busdesk {

Date Date::now() {
    if (auto pinned = RunLoop::main().calendarTime()) return Date{*pinned};
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return Date{std::chrono::duration<double>(since).count()};
}

void Date::setNow(std::optional<Date> start) {
    RunLoop::main().pinCalendarTime(start ? std::optional<double>(start->secondsSince1970) : std::nullopt);
}

}  // namespace busdesk
