#pragma once

#include <algorithm>
#include <optional>

#include "platform/views/Animation.h"
#include "platform/views/Geometry.h"

namespace busdesk {

// Properties only a presenter draws with. None of them changes the model: frames, the order of
// subviews, the toolkit's hit-testing and the screen dump stay as they are. Components are built
// from these, so a presenter knows the toolkit and nothing above it.

// A shadow a view casts onto the sibling drawn right under it (a card over a background).
struct Shadow {
    Color color = Color::black();
    double opacity = 0;
    double radius = 0;
    Point offset{0, 0};
    bool operator==(const Shadow&) const = default;
};

// A line drawn along the view's edge, following its corner radius (a ring around a round view).
struct Outline {
    Color color = Color::black();
    double width = 1;
    bool operator==(const Outline&) const = default;
};

// Moves the drawn view away from its frame: by `from` at progress 0, by `to` at progress 1, in
// between as `progress` runs (a slide, a sheet rising into place).
struct PresentationOffset {
    AnimatedValue progress = AnimatedValue::fixed(1);
    Point from{0, 0};
    Point to{0, 0};

    // The displacement now.
    Point current() const {
        double f = std::clamp(progress.current(), 0.0, 1.0);
        return {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
    }
};

// A tick box drawn at the leading edge of a view (a check box).
struct CheckBoxLook {
    bool round = false;
    bool checked = false;
};

// Where the text of a one-line label that moves sideways (a marquee) is drawn now.
struct MarqueeFrame {
    // How far the text is moved to the left.
    double offset = 0;
    // The width of one copy of the text.
    double textWidth = 0;
    // A continuous marquee: a second copy follows the first after this gap.
    std::optional<double> repeatGap;
};

}  // namespace busdesk
