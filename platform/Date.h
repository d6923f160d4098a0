#pragma once

#include <compare>
#include <optional>

namespace busdesk {

// A moment in time, as seconds since 1970-01-01 00:00 UTC (fractions allowed).
struct Date {
    double secondsSince1970 = 0;

    // The current moment: the system clock's, or once setNow pinned a start, that start moved on
    // by the main run loop's clock (so in headless mode and in tests it moves with virtual time,
    // as every timer does).
    static Date now();
    // Starts now() at `start` on the main run loop's clock; nullopt returns it to the system
    // clock. Thread-safe.
    static void setNow(std::optional<Date> start);

    Date addingSeconds(double seconds) const { return Date{secondsSince1970 + seconds}; }
    friend bool operator==(const Date&, const Date&) = default;
    // Written out, not defaulted: clang-tidy 14 takes the 0 a defaulted ordering compares with
    // for a null pointer.
    friend std::partial_ordering operator<=>(const Date& a, const Date& b) {
        return a.secondsSince1970 <=> b.secondsSince1970;
    }
};

}  // namespace busdesk
