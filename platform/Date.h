#pragma once

#include <optional>

namespace busdesk {

// A moment in time, as seconds since 1970-01-01 00:00 UTC (fractions allowed).
struct Date {
    double secondsSince1970 = 0;

    // The current moment, or the one pinned with setNow (tests, the --now option).
    static Date now();
    // Pins now() to a fixed moment; nothing returns to the system clock. Thread-safe.
    static void setNow(std::optional<Date> fixed);

    Date addingSeconds(double seconds) const { return Date{secondsSince1970 + seconds}; }
    friend bool operator==(const Date&, const Date&) = default;
    friend auto operator<=>(const Date&, const Date&) = default;
};

}  // namespace busdesk
