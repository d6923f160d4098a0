#pragma once

#include "platform/Clock.h"

namespace busdesk {

// A value moving linearly from `from` to `to`. The model always holds the final value at once;
// an AnimatedValue only tells a presenter (and tests) what is on screen at a given moment, so a
// fade never delays what the program logic sees.
struct AnimatedValue {
    double from = 0;
    double to = 0;
    Clock::TimePoint start{};
    Clock::Duration duration{0};

    // The value at `now` on the main run loop's clock.
    double current() const;
    double valueAt(Clock::TimePoint now) const;
    bool finishedAt(Clock::TimePoint now) const { return now >= start + duration; }
    bool finished() const;

    // An animation starting now on the main run loop's clock; a zero duration jumps.
    static AnimatedValue begin(double from, double to, Clock::Duration duration);
    static AnimatedValue fixed(double value) { return AnimatedValue{value, value, {}, Clock::Duration(0)}; }
};

inline Clock::Duration seconds(double s) {
    return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(s));
}

}  // namespace busdesk
