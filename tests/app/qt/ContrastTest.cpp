// Every text and icon of every screen, menu, sheet and alert reads on what is under it in both
// palettes, at the ratios WCAG 2.1 level AA asks for: 4.5:1, and 3:1 for large text and icons.
// Switching the palette in the settings draws the open screens again.
#include <gtest/gtest.h>

#include <QImage>
#include <iostream>
#include <map>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/qt/ViewWidget.h"
#include "screens/core/DisplaySettings.h"
#include "tests/app/qt/TextContrast.h"
#include "tests/app/qt/WindowWalk.h"

namespace busdesk {
namespace {

using window_tests::DrawnText;

class Contrast : public window_tests::WindowWalk {
  protected:
    void TearDown() override {
        Palette::setPreference(AppearancePreference::FollowDesktop);
        Palette::setDesktopIsDark(false);
        WindowWalk::TearDown();
    }

    QColor pixel(View& v) {
        presenter_->sync();
        QImage shot = presenter_->surface()->grab().toImage();
        Rect r = v.frameInWindow();  // the bottom left corner: the screen's own ground
        return shot.pixelColor(static_cast<int>(r.x + 2), static_cast<int>(r.y + r.height - 3));
    }
};

TEST_F(Contrast, EveryTextOnEveryScreenReadsInBothPalettes) {
    struct Lowest {
        double ratio = 99;
        std::string where;
    };
    std::map<Appearance, Lowest> lowest;
    int measured = 0;
    int stops = walkEveryScreen([&](const std::string& stop) {
        RunLoop::main().advance(std::chrono::milliseconds(600));  // slides and fades come to rest
        presenter_->sync();
        for (Appearance a : {Appearance::Light, Appearance::Dark}) {
            const char* palette = a == Appearance::Light ? "light" : "dark";
            auto texts = window_tests::drawnTexts(*presenter_, a);
            EXPECT_FALSE(texts.empty()) << stop;
            for (const DrawnText& t : texts) {
                ++measured;
                double ratio = t.ratio();
                if (ratio < lowest[a].ratio) lowest[a] = {ratio, stop + ": " + t.describe()};
                EXPECT_GE(ratio + 1e-9, t.needed) << palette << ", " << stop << ": " << t.describe();
            }
        }
    });
    EXPECT_GT(stops, 35);
    EXPECT_GT(measured, 1000);
    for (auto& [a, low] : lowest)
        std::cout << (a == Appearance::Light ? "light" : "dark") << " palette, lowest ratio " << low.ratio
                  << " at " << low.where << "\n";
}

// The settings row stores the choice, and the window is drawn again at once in the palette chosen;
// following the desktop takes the desktop's palette as the presentation reports it.
TEST_F(Contrast, TheSettingsRowSwitchesThePaletteOfTheOpenScreens) {
    step("type #username 10086");
    step("type #password 123456");
    step("tap #loginAction");
    step("wait 3");
    step("menu right");
    step("tap #ShowSetting");
    step("wait 1");
    step("expect \"外观：跟随系统\"");
    View* row = ViewFinder::find(window(), "#appearance");
    ASSERT_NE(row, nullptr);
    View& screen = *window().topViewController()->view();
    EXPECT_GT(pixel(screen).lightness(), 200) << "light: a white screen";

    step("tap #appearance");
    step("wait 1");
    step("pick 深色");
    step("wait 1");
    step("expect \"外观：深色\"");
    EXPECT_EQ(Palette::current(), Appearance::Dark);
    EXPECT_LT(pixel(screen).lightness(), 60) << "dark: the open screen is drawn again";
    EXPECT_EQ(PublicMethod::getStringForKey(kAppearance), std::optional<std::string>("dark"));

    // Back to the desktop's: a dark desktop keeps it dark, a light one makes it light.
    DisplaySettings::setAppearance(AppearancePreference::FollowDesktop);
    EXPECT_FALSE(PublicMethod::getStringForKey(kAppearance));
    Palette::setDesktopIsDark(true);
    EXPECT_LT(pixel(screen).lightness(), 60);
    Palette::setDesktopIsDark(false);
    EXPECT_GT(pixel(screen).lightness(), 200);

    // A stored choice is put in force at the next launch; an unknown value follows the desktop.
    PublicMethod::setObject("dark", kAppearance);
    DisplaySettings::apply();
    EXPECT_EQ(Palette::current(), Appearance::Dark);
    PublicMethod::setObject("purple", kAppearance);
    DisplaySettings::apply();
    EXPECT_EQ(Palette::preference(), AppearancePreference::FollowDesktop);
}

}  // namespace
}  // namespace busdesk
