#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace busdesk {

// A key the toolkit acts on. The presentation translates its own key events into these; a
// script names them ("Tab", "Shift+Tab", "Enter", "F2").
enum class Key { Tab, Return, Space, Escape, Up, Down, Left, Right, F2, F3 };

struct KeyEvent {
    Key key = Key::Tab;
    bool shift = false;
    bool operator==(const KeyEvent&) const = default;
};

// "Tab", "Shift+Tab", "Enter" (or "Return"), "Space", "Esc" (or "Escape"), "Up", "Down", "Left",
// "Right", "F2", "F3"; case does not matter. Nothing for any other text.
std::optional<KeyEvent> parseKeyName(std::string_view name);
// The name parseKeyName reads back ("Shift+Tab").
std::string keyName(const KeyEvent& key);

}  // namespace busdesk
