#include "platform/views/IconGlyphs.h"

#include <map>
#include <mutex>

namespace busdesk {

namespace {
std::mutex& glyphsMutex() {
    static std::mutex m;
    return m;
}
std::map<std::string, IconGlyph>& glyphs() {
    static std::map<std::string, IconGlyph> g;
    return g;
}
}  // namespace

void IconGlyphs::define(const std::string& iconName, IconGlyph glyph) {
    std::lock_guard lock(glyphsMutex());
    glyphs()[iconName] = std::move(glyph);
}

std::optional<IconGlyph> IconGlyphs::find(const std::string& iconName) {
    std::lock_guard lock(glyphsMutex());
    auto it = glyphs().find(iconName);
    if (it == glyphs().end()) return std::nullopt;
    return it->second;
}

std::vector<std::pair<std::string, IconGlyph>> IconGlyphs::all() {
    std::lock_guard lock(glyphsMutex());
    return {glyphs().begin(), glyphs().end()};
}

}  // namespace busdesk
