#include <gtest/gtest.h>

#include "platform/views/Palette.h"

namespace busdesk {
namespace {

struct Restore {
    ~Restore() {
        Palette::setPreference(AppearancePreference::FollowDesktop);
        Palette::setDesktopIsDark(false);
    }
};

TEST(Palette, ContrastFollowsTheWcagFormula) {
    EXPECT_NEAR(contrastRatio(Color::black(), Color::whiteColor()), 21.0, 0.01);
    EXPECT_NEAR(contrastRatio(Color::whiteColor(), Color::whiteColor()), 1.0, 1e-9);
    // #767676 is the lightest grey that passes 4.5:1 on white, #777777 the first that does not.
    EXPECT_GE(contrastRatio(Color::rgb(0x76, 0x76, 0x76), Color::whiteColor()), 4.5);
    EXPECT_LT(contrastRatio(Color::rgb(0x77, 0x77, 0x77), Color::whiteColor()), 4.5);
    Color half = composite(Color::white(0, 0.5), Color::whiteColor());
    EXPECT_NEAR(half.red, 0.5, 1e-9);
    EXPECT_EQ(half.alpha, 1);
}

// A role's colour holds the light value and is drawn in the palette in force with its own alpha;
// a literal colour is drawn as it is in both.
TEST(Palette, ARoleIsDrawnInThePaletteInForce) {
    Restore restore;
    Color scrim = Color::of(ColorRole::Scrim, 0.4);
    EXPECT_EQ(scrim.alpha, 0.4);
    Color background = Color::of(ColorRole::Background);
    EXPECT_EQ(Palette::resolve(background, Appearance::Light), Color::whiteColor());
    EXPECT_LT(relativeLuminance(Palette::resolve(background, Appearance::Dark)), 0.05);
    EXPECT_EQ(Palette::resolve(scrim, Appearance::Dark).alpha, 0.4);
    Color literal = Color::rgb(1, 2, 3);
    EXPECT_EQ(Palette::resolve(literal, Appearance::Dark), literal);
    // The calendar's mark keeps the colour its documentation names in the light palette.
    EXPECT_EQ(Color::of(ColorRole::CalendarMark).hexString(), "0x383838");
    for (ColorRole role : Palette::roles()) EXPECT_FALSE(Palette::name(role).empty());
}

// The setting wins; following the desktop takes the desktop's; the revision moves only when the
// palette in force changes, so a presenter repaints only then.
TEST(Palette, TheSettingOverridesTheDesktop) {
    Restore restore;
    EXPECT_EQ(Palette::current(), Appearance::Light);
    auto revision = Palette::revision();
    Palette::setDesktopIsDark(true);
    EXPECT_EQ(Palette::current(), Appearance::Dark);
    EXPECT_EQ(Palette::revision(), revision + 1);
    Palette::setPreference(AppearancePreference::Light);
    EXPECT_EQ(Palette::current(), Appearance::Light);
    Palette::setDesktopIsDark(false);  // no change in force
    EXPECT_EQ(Palette::revision(), revision + 2);
    Palette::setPreference(AppearancePreference::Dark);
    EXPECT_EQ(Palette::current(), Appearance::Dark);
    Palette::setPreference(AppearancePreference::FollowDesktop);
    EXPECT_EQ(Palette::current(), Appearance::Light);
    EXPECT_EQ(Palette::revision(), revision + 4);
}

// The pairs the screens draw: each text role on each ground it is used on, in both palettes.
TEST(Palette, EveryTextRoleReadsOnItsGroundsInBothPalettes) {
    using R = ColorRole;
    struct Pair {
        R text;
        R ground;
    };
    const Pair pairs[] = {
        {R::Text, R::Background},
        {R::Text, R::SecondaryBackground},
        {R::Text, R::Surface},
        {R::Text, R::AccentSoft},
        {R::SecondaryText, R::Background},
        {R::SecondaryText, R::Surface},
        {R::SecondaryText, R::SecondaryBackground},
        {R::Placeholder, R::Background},
        {R::Accent, R::Background},
        {R::Accent, R::AccentSoft},
        {R::Accent, R::SecondaryBackground},
        {R::Accent, R::Surface},
        {R::OnAccent, R::Accent},
        {R::OnBar, R::Bar},
        {R::OnBar, R::BarShade},
        {R::OnMenu, R::Menu},
        {R::OnMenu, R::MenuShade},
        {R::OnToast, R::Toast},
        {R::OnBackdrop, R::Backdrop},
        {R::Warning, R::Background},
        {R::Warning, R::AccentSoft},
        {R::Positive, R::Background},
        {R::OnAccent, R::Confirm},
        {R::OnNotice, R::Notice},
    };
    for (Appearance a : {Appearance::Light, Appearance::Dark})
        for (const Pair& p : pairs) {
            double ratio = contrastRatio(Palette::value(p.text, a), Palette::value(p.ground, a));
            EXPECT_GE(ratio, 4.5) << Palette::name(p.text) << " on " << Palette::name(p.ground)
                                  << (a == Appearance::Dark ? " (dark)" : " (light)");
        }
}

}  // namespace
}  // namespace busdesk
