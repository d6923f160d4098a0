#include "platform/views/Palette.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/views/View.h"

namespace busdesk {

namespace {

struct RoleRow {
    ColorRole role;
    std::string_view name;
    Color light;
    Color dark;
};

constexpr Color rgb(int r, int g, int b) {
    return {r / 255.0, g / 255.0, b / 255.0, 1};
}

// A row a role, in the enum's order: its name, its light value, its dark value. The light values
// are the colours the screens have always had; a new colour is a new role here.
constexpr std::array<RoleRow, static_cast<std::size_t>(ColorRole::Count_)> kRoles{{
    {ColorRole::None, "none", rgb(0, 0, 0), rgb(0, 0, 0)},
    {ColorRole::Accent, "accent", rgb(0, 102, 204), rgb(100, 170, 255)},
    {ColorRole::OnAccent, "onAccent", rgb(255, 255, 255), rgb(14, 22, 36)},
    {ColorRole::AccentSoft, "accentSoft", rgb(230, 240, 250), rgb(30, 52, 82)},
    {ColorRole::Text, "text", rgb(0, 0, 0), rgb(232, 232, 236)},
    {ColorRole::SecondaryText, "secondaryText", rgb(102, 102, 102), rgb(172, 172, 180)},
    {ColorRole::Placeholder, "placeholder", rgb(117, 117, 117), rgb(152, 152, 160)},
    {ColorRole::Disabled, "disabled", rgb(160, 160, 160), rgb(108, 108, 114)},
    {ColorRole::Separator, "separator", rgb(204, 204, 204), rgb(72, 72, 78)},
    {ColorRole::Background, "background", rgb(255, 255, 255), rgb(28, 28, 30)},
    {ColorRole::SecondaryBackground, "secondaryBackground", rgb(242, 242, 242), rgb(44, 44, 48)},
    {ColorRole::Surface, "surface", rgb(247, 247, 247), rgb(50, 50, 54)},
    {ColorRole::Highlight, "highlight", rgb(217, 217, 217), rgb(70, 70, 76)},
    {ColorRole::Bar, "bar", rgb(30, 100, 170), rgb(30, 58, 96)},
    {ColorRole::BarShade, "barShade", rgb(20, 80, 145), rgb(22, 44, 74)},
    {ColorRole::OnBar, "onBar", rgb(255, 255, 255), rgb(240, 244, 250)},
    {ColorRole::Menu, "menu", rgb(36, 98, 160), rgb(26, 50, 82)},
    {ColorRole::MenuShade, "menuShade", rgb(22, 60, 112), rgb(14, 28, 48)},
    {ColorRole::OnMenu, "onMenu", rgb(255, 255, 255), rgb(240, 244, 250)},
    {ColorRole::Scrim, "scrim", rgb(0, 0, 0), rgb(0, 0, 0)},
    {ColorRole::Shadow, "shadow", rgb(0, 0, 0), rgb(0, 0, 0)},
    {ColorRole::Toast, "toast", rgb(85, 85, 85), rgb(226, 226, 230)},
    {ColorRole::OnToast, "onToast", rgb(255, 255, 255), rgb(22, 22, 24)},
    {ColorRole::Backdrop, "backdrop", rgb(0, 0, 0), rgb(0, 0, 0)},
    {ColorRole::OnBackdrop, "onBackdrop", rgb(255, 255, 255), rgb(255, 255, 255)},
    {ColorRole::Warning, "warning", rgb(176, 0, 32), rgb(255, 138, 128)},
    {ColorRole::Positive, "positive", rgb(26, 102, 51), rgb(112, 210, 142)},
    {ColorRole::Confirm, "confirm", rgb(25, 120, 55), rgb(104, 200, 130)},
    {ColorRole::Notice, "notice", rgb(255, 243, 205), rgb(74, 58, 20)},
    {ColorRole::OnNotice, "onNotice", rgb(120, 72, 0), rgb(255, 214, 140)},
    {ColorRole::Badge, "badge", rgb(200, 30, 45), rgb(200, 30, 45)},
    {ColorRole::CalendarMark, "calendarMark", rgb(0x38, 0x38, 0x38), rgb(200, 200, 204)},
}};

constexpr bool inEnumOrder() {
    for (std::size_t i = 0; i < kRoles.size(); ++i)
        if (static_cast<std::size_t>(kRoles[i].role) != i) return false;
    return true;
}
static_assert(inEnumOrder(), "the palette table follows the order of ColorRole");

const RoleRow& row(ColorRole role) {
    auto i = static_cast<std::size_t>(role);
    return kRoles[i < kRoles.size() ? i : 0];
}

struct State {
    AppearancePreference preference = AppearancePreference::FollowDesktop;
    bool desktopDark = false;
    std::uint64_t revision = 0;
};

State& state() {
    static State s;
    return s;
}

// Runs after a setting changed: when the palette in force is another, every view is redrawn.
void changed(Appearance before) {
    if (Palette::current() == before) return;
    ++state().revision;
    if (auto host = ViewHost::keyHost()) host->hostView().setNeedsDisplay();
}

}  // namespace

Color Color::of(ColorRole role, double alpha) {
    Color c = row(role).light;
    c.alpha = alpha;
    c.role = role;
    return c;
}

Color Palette::value(ColorRole role, Appearance appearance) {
    return appearance == Appearance::Dark ? row(role).dark : row(role).light;
}

Color Palette::resolve(const Color& c, Appearance appearance) {
    if (c.role == ColorRole::None) return c;
    Color out = value(c.role, appearance);
    out.alpha = c.alpha;
    return out;
}

std::string_view Palette::name(ColorRole role) {
    return row(role).name;
}

std::span<const ColorRole> Palette::roles() {
    static const auto list = [] {
        std::array<ColorRole, kRoles.size() - 1> out{};
        for (std::size_t i = 1; i < kRoles.size(); ++i) out[i - 1] = kRoles[i].role;
        return out;
    }();
    return list;
}

Appearance Palette::current() {
    const auto& s = state();
    switch (s.preference) {
        case AppearancePreference::Light:
            return Appearance::Light;
        case AppearancePreference::Dark:
            return Appearance::Dark;
        case AppearancePreference::FollowDesktop:
            break;
    }
    return s.desktopDark ? Appearance::Dark : Appearance::Light;
}

AppearancePreference Palette::preference() {
    return state().preference;
}

void Palette::setPreference(AppearancePreference p) {
    Appearance before = current();
    state().preference = p;
    changed(before);
}

void Palette::setDesktopIsDark(bool dark) {
    Appearance before = current();
    state().desktopDark = dark;
    changed(before);
}

bool Palette::desktopIsDark() {
    return state().desktopDark;
}

std::uint64_t Palette::revision() {
    return state().revision;
}

double relativeLuminance(const Color& c) {
    auto channel = [](double v) {
        v = std::clamp(v, 0.0, 1.0);
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red) + 0.7152 * channel(c.green) + 0.0722 * channel(c.blue);
}

double contrastRatio(const Color& a, const Color& b) {
    double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Color composite(const Color& top, const Color& bottom) {
    double a = std::clamp(top.alpha, 0.0, 1.0);
    return {top.red * a + bottom.red * (1 - a), top.green * a + bottom.green * (1 - a),
            top.blue * a + bottom.blue * (1 - a), 1};
}

}  // namespace busdesk
