#include "platform/views/Animation.h"

#include <algorithm>

#include "platform/RunLoop.h"

namespace busdesk {

double AnimatedValue::valueAt(Clock::TimePoint now) const {
    if (duration.count() <= 0 || now >= start + duration) return to;
    if (now <= start) return from;
    double t =
        std::chrono::duration<double>(now - start).count() / std::chrono::duration<double>(duration).count();
    return from + (to - from) * std::clamp(t, 0.0, 1.0);
}

double AnimatedValue::current() const {
    return valueAt(RunLoop::main().clock()->now());
}

bool AnimatedValue::finished() const {
    return finishedAt(RunLoop::main().clock()->now());
}

AnimatedValue AnimatedValue::begin(double from, double to, Clock::Duration duration) {
    return AnimatedValue{from, to, RunLoop::main().clock()->now(), duration};
}

}  // namespace busdesk
