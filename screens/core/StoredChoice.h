#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/PublicMethod.h"
#include "platform/Translation.h"

namespace busdesk {

// A preference the settings screen offers as a short list of choices and the settings store keeps
// under one key: each choice has the string stored for it and the text the screen shows for it.
// The first choice is the default: nothing is stored for it, and an absent key, or a string no
// choice has (an edited file), reads as it.
//
//   StoredChoice<AppearancePreference> appearance{kAppearance, {
//       {AppearancePreference::FollowDesktop, "", N_("跟随系统")},
//       {AppearancePreference::Dark, "dark", N_("深色")}, ...}};
template <class Value>
class StoredChoice {
  public:
    struct Choice {
        Value value;
        std::string stored;      // empty for the default
        std::string text;        // may hold places %1 … that text() fills
        bool translated = true;  // a language's own name or a number is shown as written
    };

    StoredChoice(std::string key, std::vector<Choice> choices)
        : key_(std::move(key)), choices_(std::move(choices)) {
        for (const auto& choice : choices_) values_.push_back(choice.value);
    }

    // What the store holds under the key, as it is.
    std::optional<std::string> storedString() const { return PublicMethod::getStringForKey(key_); }

    // The choice a stored string stands for: the default for one no choice has.
    Value valueFor(std::string_view stored) const {
        for (const auto& choice : choices_)
            if (!choice.stored.empty() && choice.stored == stored) return choice.value;
        return choices_.front().value;
    }

    Value stored() const { return valueFor(storedString().value_or("")); }

    // Writes the choice's string, or removes the key for the default; a value that is no choice
    // leaves the store as it is.
    void store(const Value& value) const {
        const Choice* choice = find(value);
        if (!choice) return;
        if (choice->stored.empty())
            PublicMethod::removeObjectForKey(key_);
        else
            PublicMethod::setObject(choice->stored, key_);
    }

    // The values in the order the settings screen offers them.
    const std::vector<Value>& values() const { return values_; }

    // The choice's text in the language of this run, with `places` put into it; empty for a value
    // that is no choice.
    std::string text(const Value& value, std::initializer_list<std::string_view> places = {}) const {
        const Choice* choice = find(value);
        if (!choice) return {};
        return choice->translated ? trFormat(choice->text.c_str(), places) : choice->text;
    }

  private:
    const Choice* find(const Value& value) const {
        for (const auto& choice : choices_)
            if (choice.value == value) return &choice;
        return nullptr;
    }

    std::string key_;
    std::vector<Choice> choices_;
    std::vector<Value> values_;
};

}  // namespace busdesk
