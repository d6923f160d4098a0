#include "screens/core/DisplaySettings.h"

#include <array>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Translation.h"
#include "platform/views/TextSize.h"

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

std::optional<int>& sizeForThisRun() {
    static std::optional<int> size;
    return size;
}

// One of the steps, or none (the desktop's) for anything else the settings file may hold.
std::optional<int> storedTextSize() {
    auto text = PublicMethod::getStringForKey(kTextSize);
    if (text)
        for (int step : TextSize::kSteps)
            if (*text == std::to_string(step)) return step;
    return std::nullopt;
}

}  // namespace

void DisplaySettings::apply() {
    Palette::setPreference(storedAppearance());
    TextSize::setPreference(sizeForThisRun() ? sizeForThisRun() : storedTextSize());
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

std::optional<int> DisplaySettings::textSize() {
    return TextSize::preference();
}

void DisplaySettings::setTextSize(std::optional<int> percent) {
    if (percent)
        PublicMethod::setObject(std::to_string(TextSize::nearestStep(*percent)), kTextSize);
    else
        PublicMethod::removeObjectForKey(kTextSize);
    sizeForThisRun().reset();
    TextSize::setPreference(percent);
}

void DisplaySettings::setTextSizeForThisRun(std::optional<int> percent) {
    sizeForThisRun() = percent;
}

std::vector<std::optional<int>> DisplaySettings::textSizes() {
    std::vector<std::optional<int>> out{std::nullopt};
    out.insert(out.end(), TextSize::kSteps.begin(), TextSize::kSteps.end());
    return out;
}

std::string DisplaySettings::textSizeText(std::optional<int> percent) {
    if (percent) return std::to_string(*percent) + "%";
    return trFormat("跟随系统（%1%）", {std::to_string(TextSize::percent())});
}

}  // namespace busdesk
