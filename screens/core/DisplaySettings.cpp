#include "screens/core/DisplaySettings.h"

#include <string>

#include "core/SettingsKeys.h"
#include "platform/Translation.h"
#include "platform/views/TextSize.h"
#include "screens/core/StoredChoice.h"

namespace busdesk {

namespace {

const StoredChoice<AppearancePreference>& appearanceChoice() {
    static const StoredChoice<AppearancePreference> choice{
        kAppearance,
        {
            {AppearancePreference::FollowDesktop, "", N_("跟随系统")},
            {AppearancePreference::Light, "light", N_("浅色")},
            {AppearancePreference::Dark, "dark", N_("深色")},
        }};
    return choice;
}

// The desktop's size (said with the size it gives now, filled in by textSizeText), then every step.
const StoredChoice<std::optional<int>>& textSizeChoice() {
    static const StoredChoice<std::optional<int>> choice{
        kTextSize, [] {
            std::vector<StoredChoice<std::optional<int>>::Choice> out{
                {std::nullopt, "", N_("跟随系统（%1%）")}};
            for (int step : TextSize::kSteps)
                out.push_back({step, std::to_string(step), std::to_string(step) + "%", false});
            return out;
        }()};
    return choice;
}

std::optional<int>& sizeForThisRun() {
    static std::optional<int> size;
    return size;
}

}  // namespace

void DisplaySettings::apply() {
    Palette::setPreference(appearanceChoice().stored());
    TextSize::setPreference(sizeForThisRun() ? sizeForThisRun() : textSizeChoice().stored());
}

AppearancePreference DisplaySettings::appearance() {
    return Palette::preference();
}

void DisplaySettings::setAppearance(AppearancePreference preference) {
    appearanceChoice().store(preference);
    Palette::setPreference(preference);
}

const std::vector<AppearancePreference>& DisplaySettings::appearances() {
    return appearanceChoice().values();
}

std::string DisplaySettings::appearanceText(AppearancePreference preference) {
    return appearanceChoice().text(preference);
}

std::optional<int> DisplaySettings::textSize() {
    return TextSize::preference();
}

void DisplaySettings::setTextSize(std::optional<int> percent) {
    if (percent) percent = TextSize::nearestStep(*percent);
    textSizeChoice().store(percent);
    sizeForThisRun().reset();
    TextSize::setPreference(percent);
}

void DisplaySettings::setTextSizeForThisRun(std::optional<int> percent) {
    sizeForThisRun() = percent;
}

const std::vector<std::optional<int>>& DisplaySettings::textSizes() {
    return textSizeChoice().values();
}

std::string DisplaySettings::textSizeText(std::optional<int> percent) {
    return textSizeChoice().text(percent, {std::to_string(TextSize::percent())});
}

}  // namespace busdesk
