#pragma once

#include <optional>
#include <span>
#include <string>

namespace busdesk {

// The language the user chose in the settings screen, kept in the settings store (kLanguage:
// "zh_CN" or "en"; absent: the system's), and the language of this run, chosen at launch (the
// command line's --lang, else that choice, else the environment). A new choice is taken at the
// next start: the open screens keep the texts they were built with.
class LanguageSettings {
  public:
    enum class Choice { FollowSystem, Chinese, English };

    // Chooses this run's language and puts it in force (at launch, before any screen is built).
    static void apply(const std::optional<std::string>& commandLine);

    static Choice choice();
    // Stores the choice; true when the next start will speak another language than this run.
    static bool setChoice(Choice choice);
    // The choices in the order the settings screen offers them.
    static std::span<const Choice> choices();
    // "跟随系统" (translated), "中文", "English": each language named in itself.
    static std::string choiceText(Choice choice);
};

}  // namespace busdesk
