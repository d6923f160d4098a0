#pragma once

#include <atomic>
#include <chrono>
#include <memory>

namespace busdesk {

// Monotonic time used by the run loop's timers. The app uses the steady clock; tests use a
// ManualClock and advance it, so a 3-second delay costs no real time.
class Clock {
  public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    virtual bool isManual() const { return false; }
};

// A delay given in seconds (fractions allowed) as a run-loop duration.
inline Clock::Duration secondsDuration(double seconds) {
    return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(seconds));
}

class SteadyClock : public Clock {
  public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

class ManualClock : public Clock {
  public:
    TimePoint now() const override { return TimePoint(Duration(nanos_.load())); }
    bool isManual() const override { return true; }
    void set(TimePoint t) { nanos_.store(t.time_since_epoch().count()); }

  private:
    std::atomic<long long> nanos_{0};
};

}  // namespace busdesk
