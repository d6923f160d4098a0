#include "screens/core/LanguageSettings.h"

#include <cstdlib>

#include "core/SettingsKeys.h"
#include "platform/Log.h"
#include "platform/Translation.h"
#include "screens/core/StoredChoice.h"

namespace busdesk {

namespace {

// Each language is named in itself: its name is never translated.
const StoredChoice<LanguageSettings::Choice>& languageChoice() {
    using Choice = LanguageSettings::Choice;
    static const StoredChoice<Choice> choice{kLanguage,
                                             {
                                                 {Choice::FollowSystem, "", N_("跟随系统")},
                                                 {Choice::Chinese, "zh_CN", "中文", false},
                                                 {Choice::English, "en", "English", false},
                                             }};
    return choice;
}

// The language the command line chose for this run (--lang), if it did.
std::optional<std::string>& commandLineLanguage() {
    static std::optional<std::string> language;
    return language;
}

// The stored string as it is: the language of a run follows any name it spells ("en_GB" too).
std::string storedLanguage() {
    return languageChoice().storedString().value_or("");
}

std::string languageFor(const std::optional<std::string>& commandLine, const std::string& setting) {
    return translation::chooseLanguage(commandLine, setting,
                                       [](const char* name) { return std::getenv(name); });
}

}  // namespace

void LanguageSettings::apply(const std::optional<std::string>& commandLine) {
    commandLineLanguage() = commandLine ? translation::spokenLanguage(*commandLine) : std::nullopt;
    const std::string language = languageFor(commandLine, storedLanguage());
    if (!translation::useLanguage(language))
        Log::line("Translation: no usable catalogue for " + language + "; the texts stay Chinese");
}

LanguageSettings::Choice LanguageSettings::choice() {
    return languageChoice().stored();
}

void LanguageSettings::setChoice(Choice choice) {
    languageChoice().store(choice);
}

bool LanguageSettings::nextStartChangesLanguage() {
    return languageFor(std::nullopt, storedLanguage()) != translation::currentLanguage();
}

const std::vector<LanguageSettings::Choice>& LanguageSettings::choices() {
    return languageChoice().values();
}

std::string LanguageSettings::choiceText(Choice choice) {
    return languageChoice().text(choice);
}

std::string LanguageSettings::rowText() {
    const std::string current = translation::currentLanguage();
    if (commandLineLanguage() != current) return choiceText(choice());
    return trFormat("%1（命令行 --lang）", {choiceText(languageChoice().valueFor(current))});
}

}  // namespace busdesk
