#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace busdesk {

// How large the user wants text, as a percentage of the sizes the screens were designed at. Every
// text view (Label, Button, TextField, TextView) draws and measures its font at the size its screen
// gave it times this scale; the screens themselves keep writing their design sizes.
//
// The size in force is the user's choice (the settings row, or --text-size for one run), else the
// step nearest the desktop's own font size. Main thread only, like the rest of the toolkit.
class TextSize {
  public:
    // The steps the settings screen offers, in percent.
    static constexpr std::array<int, 5> kSteps{100, 125, 150, 175, 200};

    // The percentage in force, and the factor it stands for (1 … 2).
    static int percent();
    static double scale() { return percent() / 100.0; }
    // `designSize` as drawn at the size in force.
    static double scaled(double designSize) { return designSize * scale(); }

    // The user's choice (one of kSteps); none follows the desktop.
    static std::optional<int> preference();
    static void setPreference(std::optional<int> percent);
    // Told by the presentation: the desktop's default font size, in percent of the size the screens
    // were designed for. Headless, the desktop is at 100 %.
    static void setDesktopPercent(double percent);
    // The step nearest `percent` (halfway rounds up; outside the steps, the first or the last).
    static int nearestStep(double percent);

    // Goes up whenever the size in force changes; the window lays its screens out again.
    static std::uint64_t revision();
};

}  // namespace busdesk
