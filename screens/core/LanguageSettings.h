#pragma once

#include <optional>
#include <string>
#include <vector>

namespace busdesk {

// The language the user chose in the settings screen, kept in the settings store (kLanguage:
// "zh_CN" or "en"; absent: the system's), and the language of this run, chosen at launch (the
// command line's --lang, else that choice, else the environment). A new choice is taken at the
// next start: the open screens keep the texts they were built with. A stored string that names no
// choice shows as the system's in the settings screen.
class LanguageSettings {
  public:
    enum class Choice { FollowSystem, Chinese, English };

    // Chooses this run's language and puts it in force (at launch, before any screen is built).
    static void apply(const std::optional<std::string>& commandLine);

    // The stored choice (the system's for a string that names none of the others).
    static Choice choice();
    static void setChoice(Choice choice);
    // True when the next start (without --lang) will speak another language than this run.
    static bool nextStartChangesLanguage();
    // The choices in the order the settings screen offers them.
    static const std::vector<Choice>& choices();
    // "跟随系统" (translated), "中文", "English": each language named in itself.
    static std::string choiceText(Choice choice);
    // What the settings row says: the stored choice's text, or, when the command line chose the
    // language in force ("--lang en"), that language and why: "English（命令行 --lang）".
    static std::string rowText();
};

}  // namespace busdesk
