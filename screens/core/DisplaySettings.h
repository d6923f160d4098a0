#pragma once

#include <span>
#include <string>

#include "platform/views/Palette.h"

namespace busdesk {

// The palette the user chose in the settings screen, kept in the settings store (kAppearance) and
// put in force in the toolkit (Palette). Without a choice the palette follows the desktop's.
class DisplaySettings {
  public:
    // Puts the stored choice in force (at launch).
    static void apply();

    static AppearancePreference appearance();
    // Stores the choice and puts it in force: the open screens are drawn again.
    static void setAppearance(AppearancePreference preference);
    // The choices in the order the settings screen offers them.
    static std::span<const AppearancePreference> appearances();
    // "跟随系统", "浅色", "深色" as the settings row and its picker show them.
    static std::string appearanceText(AppearancePreference preference);
};

}  // namespace busdesk
