#include "screens/core/LanguageSettings.h"

#include <array>
#include <cstdlib>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Log.h"
#include "platform/Translation.h"

namespace busdesk {

namespace {

struct LanguageRow {
    LanguageSettings::Choice choice;
    const char* stored;  // nothing is stored for the system's
    const char* shown;
    bool translated;  // a language's own name is never translated
};

constexpr std::array<LanguageRow, 3> kLanguages{{
    {LanguageSettings::Choice::FollowSystem, nullptr, N_("跟随系统"), true},
    {LanguageSettings::Choice::Chinese, "zh_CN", "中文", false},
    {LanguageSettings::Choice::English, "en", "English", false},
}};

std::string storedLanguage() {
    return PublicMethod::getStringForKey(kLanguage).value_or("");
}

std::string languageFor(const std::optional<std::string>& commandLine, const std::string& setting) {
    return translation::chooseLanguage(commandLine, setting,
                                       [](const char* name) { return std::getenv(name); });
}

}  // namespace

void LanguageSettings::apply(const std::optional<std::string>& commandLine) {
    const std::string language = languageFor(commandLine, storedLanguage());
    if (!translation::useLanguage(language))
        Log::line("Translation: no usable catalogue for " + language + "; the texts stay Chinese");
}

LanguageSettings::Choice LanguageSettings::choice() {
    const std::string text = storedLanguage();
    for (const auto& row : kLanguages)
        if (row.stored && text == row.stored) return row.choice;
    return Choice::FollowSystem;
}

bool LanguageSettings::setChoice(Choice choice) {
    for (const auto& row : kLanguages) {
        if (row.choice != choice) continue;
        if (row.stored)
            PublicMethod::setObject(row.stored, kLanguage);
        else
            PublicMethod::removeObjectForKey(kLanguage);
    }
    return languageFor(std::nullopt, storedLanguage()) != translation::currentLanguage();
}

std::span<const LanguageSettings::Choice> LanguageSettings::choices() {
    static const auto list = [] {
        std::array<Choice, kLanguages.size()> out{};
        for (std::size_t i = 0; i < kLanguages.size(); ++i) out[i] = kLanguages[i].choice;
        return out;
    }();
    return list;
}

std::string LanguageSettings::choiceText(Choice choice) {
    for (const auto& row : kLanguages)
        if (row.choice == choice) return row.translated ? tr(row.shown) : row.shown;
    return {};
}

}  // namespace busdesk
