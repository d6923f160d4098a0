#include "platform/views/TextSize.h"

#include <cmath>

namespace busdesk {

namespace {

struct State {
    std::optional<int> preference;
    int desktop = 100;
    std::uint64_t revision = 0;
};

State& state() {
    static State s;
    return s;
}

// Runs `change` and raises the revision when the size in force moved.
template <class F>
void changing(F change) {
    int before = TextSize::percent();
    change(state());
    if (TextSize::percent() != before) ++state().revision;
}

}  // namespace

int TextSize::percent() {
    const auto& s = state();
    return s.preference ? *s.preference : s.desktop;
}

std::optional<int> TextSize::preference() {
    return state().preference;
}

void TextSize::setPreference(std::optional<int> percent) {
    changing(
        [&](State& s) { s.preference = percent ? std::optional<int>(nearestStep(*percent)) : std::nullopt; });
}

void TextSize::setDesktopPercent(double percent) {
    changing([&](State& s) { s.desktop = nearestStep(percent); });
}

int TextSize::nearestStep(double percent) {
    if (!std::isfinite(percent)) return kSteps.front();
    int best = kSteps.front();
    for (int step : kSteps)
        if (std::abs(percent - step) <= std::abs(percent - best)) best = step;
    return best;
}

std::uint64_t TextSize::revision() {
    return state().revision;
}

}  // namespace busdesk
