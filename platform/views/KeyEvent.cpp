#include "platform/views/KeyEvent.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace busdesk {

namespace {

struct KeyNameEntry {
    std::string_view name;
    Key key;
};

// The first name of a key is the one keyName writes.
constexpr std::array kKeyNames{
    KeyNameEntry{"Tab", Key::Tab},       KeyNameEntry{"Enter", Key::Return},
    KeyNameEntry{"Return", Key::Return}, KeyNameEntry{"Space", Key::Space},
    KeyNameEntry{"Esc", Key::Escape},    KeyNameEntry{"Escape", Key::Escape},
    KeyNameEntry{"Up", Key::Up},         KeyNameEntry{"Down", Key::Down},
    KeyNameEntry{"Left", Key::Left},     KeyNameEntry{"Right", Key::Right},
    KeyNameEntry{"F2", Key::F2},         KeyNameEntry{"F3", Key::F3},
};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::optional<KeyEvent> parseKeyName(std::string_view name) {
    constexpr std::string_view kShift = "shift+";
    KeyEvent event;
    if (name.size() > kShift.size() && sameIgnoringCase(name.substr(0, kShift.size()), kShift)) {
        event.shift = true;
        name.remove_prefix(kShift.size());
    }
    for (const auto& entry : kKeyNames)
        if (sameIgnoringCase(name, entry.name)) {
            event.key = entry.key;
            return event;
        }
    return std::nullopt;
}

std::string keyName(const KeyEvent& key) {
    std::string name = key.shift ? "Shift+" : "";
    for (const auto& entry : kKeyNames)
        if (entry.key == key.key) return name + std::string(entry.name);
    return name;
}

}  // namespace busdesk
