#include "screens/core/DisplaySettings.h"

#include <array>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Translation.h"

namespace busdesk {

namespace {

struct AppearanceRow {
    AppearancePreference preference;
    const char* stored;  // nothing is stored for the desktop's
    const char* shown;
};

constexpr std::array<AppearanceRow, 3> kAppearances{{
    {AppearancePreference::FollowDesktop, nullptr, N_("跟随系统")},
    {AppearancePreference::Light, "light", N_("浅色")},
    {AppearancePreference::Dark, "dark", N_("深色")},
}};

// What the settings file holds; anything else there (an edited file) means the desktop's.
AppearancePreference storedAppearance() {
    auto text = PublicMethod::getStringForKey(kAppearance);
    if (text)
        for (const auto& row : kAppearances)
            if (row.stored && *text == row.stored) return row.preference;
    return AppearancePreference::FollowDesktop;
}

}  // namespace

void DisplaySettings::apply() {
    Palette::setPreference(storedAppearance());
}

AppearancePreference DisplaySettings::appearance() {
    return Palette::preference();
}

void DisplaySettings::setAppearance(AppearancePreference preference) {
    for (const auto& row : kAppearances) {
        if (row.preference != preference) continue;
        if (row.stored)
            PublicMethod::setObject(row.stored, kAppearance);
        else
            PublicMethod::removeObjectForKey(kAppearance);
    }
    Palette::setPreference(preference);
}

std::span<const AppearancePreference> DisplaySettings::appearances() {
    static const auto list = [] {
        std::array<AppearancePreference, kAppearances.size()> out{};
        for (std::size_t i = 0; i < kAppearances.size(); ++i) out[i] = kAppearances[i].preference;
        return out;
    }();
    return list;
}

std::string DisplaySettings::appearanceText(AppearancePreference preference) {
    for (const auto& row : kAppearances)
        if (row.preference == preference) return tr(row.shown);
    return {};
}

}  // namespace busdesk
