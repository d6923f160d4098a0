#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace busdesk {

// A glyph of the icon font the presenter draws icons with (Material Icons): its name in the
// font's own catalogue and its code point.
struct IconGlyph {
    std::string name;
    char32_t codePoint = 0;
};

// Which glyph stands for each icon name the screens give buttons and list rows ("IconHome",
// "checi"). Screens define their names; the presenter looks them up when it draws an icon and
// draws nothing of its own for a name that has a glyph. Any thread may read; defining is for
// start-up.
class IconGlyphs {
  public:
    static void define(const std::string& iconName, IconGlyph glyph);
    static std::optional<IconGlyph> find(const std::string& iconName);
    static std::vector<std::pair<std::string, IconGlyph>> all();
    // The font family the glyphs come from.
    static constexpr const char* kFontFamily = "Material Icons";
};

}  // namespace busdesk
