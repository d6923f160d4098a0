#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/views/Palette.h"

namespace busdesk {

// The palette and the text size the user chose in the settings screen, kept in the settings store
// (kAppearance: "light", "dark"; kTextSize: "100" … "200") and put in force in the toolkit (Palette,
// TextSize). Without a choice, or with a stored string that is none of these, each follows the
// desktop's.
class DisplaySettings {
  public:
    // Puts the stored choices in force (at launch).
    static void apply();

    static AppearancePreference appearance();
    // Stores the choice and puts it in force: the open screens are drawn again.
    static void setAppearance(AppearancePreference preference);
    // The choices in the order the settings screen offers them.
    static const std::vector<AppearancePreference>& appearances();
    // "跟随系统", "浅色", "深色" as the settings row and its picker show them.
    static std::string appearanceText(AppearancePreference preference);

    // The text size chosen (a percentage of TextSize::kSteps), none for the desktop's.
    static std::optional<int> textSize();
    // Stores the choice and puts it in force: the open screens are laid out again.
    static void setTextSize(std::optional<int> percent);
    // A size for this run only (--text-size), in force over the stored one; none drops it.
    static void setTextSizeForThisRun(std::optional<int> percent);
    // The choices in the order the settings screen offers them: the desktop's, then every step.
    static const std::vector<std::optional<int>>& textSizes();
    // "跟随系统（100%）" (with the size in force) or "150%", as the row and its picker show them;
    // empty for a size that is not one of the choices.
    static std::string textSizeText(std::optional<int> percent);
};

}  // namespace busdesk
