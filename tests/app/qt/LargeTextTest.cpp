// Every screen, menu, sheet and alert at the largest text size: no text is cut (its drawn width
// or height, measured with the real font in the offscreen window, exceeds its frame), is drawn over
// another text of its screen, or lies where no scrolling reaches it. The settings row changes the
// size at once.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <iostream>
#include <sstream>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Translation.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextSize.h"
#include "screens/core/DisplaySettings.h"
#include "screens/core/LeftMenuViewController.h"
#include "tests/app/qt/TextContrast.h"
#include "tests/app/qt/WindowWalk.h"

namespace busdesk {
namespace {

// One text the window shows, and the room it needs drawn with the real font.
struct ShownText {
    View* view;
    std::string text;
    Rect frame;        // in the window
    double needWidth;  // 0 when it wraps or shrinks to its width
    double needHeight;
    double lineWidth = 0;  // of the text on one line, unwrapped
    TextAlignment align = TextAlignment::Left;

    // Where the text's lines are drawn inside its frame: as wide as the text (at most the frame),
    // placed as aligned, as high as its lines, centred.
    Rect drawn() const {
        double w = std::min(lineWidth > 0 ? lineWidth : frame.width, frame.width);
        double h = std::min(needHeight, frame.height);
        double x = align == TextAlignment::Left     ? frame.x
                   : align == TextAlignment::Center ? frame.midX() - w / 2
                                                    : frame.maxX() - w;
        return {x, frame.midY() - h / 2, w, h};
    }
};

constexpr double kTolerance = 1;  // a point of rounding

// The pixels a line of text at `size` takes, as the presentation draws it.
QFont drawnFont(double size, bool bold = false, const std::string& family = {}) {
    return qt::uiFont(size, bold, family);
}

double linePitch(const QFont& font) {
    return 1.2 * font.pixelSize();
}

std::optional<ShownText> measure(View& v) {
    Rect frame = v.frameInWindow();
    if (auto* l = dynamic_cast<Label*>(&v); l && !l->text().empty()) {
        QFont font = drawnFont(l->fontSize(), l->boldFont(), l->fontName());
        QString text = qt::toQString(l->text());
        double advance = QFontMetricsF(font).horizontalAdvance(text);
        if (l->wraps()) {
            int lines = qt::wrappedLineCount(text, font, frame.width);
            return ShownText{&v,
                             l->text(),
                             frame,
                             0,
                             lines * linePitch(font),
                             lines > 1 ? 0 : advance,
                             l->textAlignment()};
        }
        // Text moving sideways, or shrunk to the width, is never cut at the sides.
        bool fitsSideways = l->adjustsFontSizeToFitWidth() || l->marqueeFrame();
        return ShownText{&v,      l->text(),         frame, fitsSideways ? 0 : advance, linePitch(font),
                         advance, l->textAlignment()};
    }
    if (auto* b = dynamic_cast<Button*>(&v)) {
        std::string title = b->currentTitle();
        if (title.empty()) return std::nullopt;
        if (b->drawsIconOverTitle(b->frame())) {
            // The title's lines take what the icon over them leaves.
            frame.y += Button::kIconOverTitleTop;
            frame.height -= Button::kIconOverTitleTop;
        } else if (!b->imageNameForState(b->state()).empty()) {
            return std::nullopt;
        }
        QFont font = drawnFont(b->titleFontSize(b->frame()));
        QString text = qt::toQString(title);
        double advance = QFontMetricsF(font).horizontalAdvance(text);
        if (b->titleWrapsToFit()) {
            const double inset = b->titleInset(b->frame());
            int lines = qt::wrappedLineCount(text, font, frame.width - 2 * inset);
            return ShownText{&v, title, frame, 0, lines * linePitch(font), 0, TextAlignment::Center};
        }
        return ShownText{&v, title, frame, advance, linePitch(font), advance, TextAlignment::Center};
    }
    if (auto* f = dynamic_cast<TextField*>(&v)) {
        std::string shown = f->text().empty() ? f->placeholder() : f->text();
        if (shown.empty()) return std::nullopt;
        QFont font = drawnFont(f->fontSize());
        return ShownText{&v, shown, frame, 0, linePitch(font), 0, TextAlignment::Left};
    }
    return std::nullopt;
}

// The layer a text belongs to: the nearest screen's own view, else the overlay's child (an alert,
// a sheet, a toast). Texts of different layers lie over each other by design.
const View* layerOf(const View& v) {
    for (const View* up = &v; up; up = up->superview()) {
        if (up->owningViewController()) return up;
        if (up->superview() && up->superview()->identifier() == "overlayLayer") return up;
    }
    return nullptr;
}

// Whether scrolling can bring all of `v` into sight: below the nearest scrolling view around it,
// its content must reach as far as `v`; with none, the window must.
bool reachable(const View& v, const Window& window) {
    Rect r = v.frame();
    for (const View* up = v.superview(); up; up = up->superview()) {
        auto* scroll = dynamic_cast<const ScrollView*>(up);
        if (scroll && scroll->scrollEnabled()) {
            double extent = std::max(scroll->contentSize().height, scroll->frame().height);
            return r.maxY() <= extent + kTolerance;
        }
        if (up == &window) return r.maxY() <= window.frame().height + kTolerance;
        Rect f = up->frame();
        r.x += f.x;
        r.y += f.y;
    }
    return true;
}

class LargeText : public window_tests::WindowWalk {
  protected:
    void TearDown() override {
        TextSize::setPreference(std::nullopt);
        WindowWalk::TearDown();
    }

    // The faults of the screen shown now, one line each.
    std::vector<std::string> faults(const std::string& stop) {
        std::vector<ShownText> texts;
        for (View* v : shownViews()) {
            if (!window_tests::shownRect(*presenter_, *v)) continue;
            if (auto t = measure(*v)) texts.push_back(*t);
        }
        std::vector<std::string> out;
        auto say = [&](const ShownText& t, const std::string& what) {
            std::ostringstream line;
            line << stop << ": \"" << t.text << "\" #" << t.view->identifier() << " " << what;
            out.push_back(line.str());
        };
        for (const auto& t : texts) {
            if (t.needWidth > t.frame.width + kTolerance)
                say(t, "needs " + std::to_string(static_cast<int>(t.needWidth)) + " wide, has " +
                           std::to_string(static_cast<int>(t.frame.width)));
            if (t.needHeight > t.frame.height + kTolerance)
                say(t, "needs " + std::to_string(static_cast<int>(t.needHeight)) + " high, has " +
                           std::to_string(static_cast<int>(t.frame.height)));
            if (!reachable(*t.view, window())) say(t, "lies beyond what scrolls");
        }
        for (std::size_t i = 0; i < texts.size(); ++i)
            for (std::size_t j = i + 1; j < texts.size(); ++j) {
                const auto &a = texts[i], &b = texts[j];
                if (layerOf(*a.view) != layerOf(*b.view)) continue;
                if (window_tests::within(*a.view, *b.view) || window_tests::within(*b.view, *a.view))
                    continue;
                Rect da = a.drawn(), db = b.drawn();
                Rect overlap{std::max(da.x, db.x), std::max(da.y, db.y), 0, 0};
                overlap.width = std::min(da.maxX(), db.maxX()) - overlap.x;
                overlap.height = std::min(da.maxY(), db.maxY()) - overlap.y;
                if (overlap.width > kTolerance && overlap.height > kTolerance)
                    say(a, "overlaps \"" + b.text + "\" #" + b.view->identifier());
            }
        return out;
    }
};

TEST_F(LargeText, NoTextOnAnyScreenIsCutOrOverlapsAt200Percent) {
    TextSize::setPreference(200);
    std::vector<std::string> all;
    int stops = walkEveryScreen([&](const std::string& stop) {
        RunLoop::main().advance(std::chrono::milliseconds(600));  // slides and fades come to rest
        for (auto& f : faults(stop)) all.push_back(f);
    });
    EXPECT_GT(stops, 35);
    for (const auto& f : all) ADD_FAILURE() << f;
    std::cout << "faults at 200 %: " << all.size() << " over " << stops << " stops\n";
}

// The left menu in English at 200 %: its column is narrow and its words long ("Regulations"), and
// a title breaks between its words, never inside one.
class EnglishLargeText : public LargeText {
  protected:
    void SetUp() override {
        ASSERT_TRUE(translation::useLanguage("en"));
        LargeText::SetUp();
    }
    void TearDown() override {
        LargeText::TearDown();
        translation::useLanguage(translation::kSourceLanguage);
    }
};

TEST_F(EnglishLargeText, TheMenusTitlesBreakBetweenTheirWords) {
    TextSize::setPreference(200);
    step("type #username 10086");
    step("type #password 123456");
    step("tap #loginAction");
    step("wait 3");
    step("menu left");
    RunLoop::main().advance(std::chrono::milliseconds(600));
    presenter_->sync();
    int titles = 0;
    for (View* v : shownViews()) {
        auto* label = dynamic_cast<Label*>(v);
        if (!label || label->text().empty()) continue;
        const View* up = label;
        while (up && !dynamic_cast<LeftMenuViewController*>(up->owningViewController())) up = up->superview();
        if (!up) continue;
        ++titles;
        EXPECT_GE(label->fontSize(), label->designFontSize()) << label->text();
        const QFontMetricsF metrics(drawnFont(label->fontSize(), label->boldFont(), label->fontName()));
        std::istringstream words(label->text());
        for (std::string word; words >> word;)
            EXPECT_LE(metrics.horizontalAdvance(qt::toQString(word)), label->frame().width + kTolerance)
                << "\"" << word << "\" of \"" << label->text() << "\" at " << label->fontSize();
    }
    EXPECT_GE(titles, 10);
    EXPECT_TRUE(faults("left menu in English at 200 %").empty());
}

// A line break in a text starts a line where it is drawn and where it is measured (the settings
// screen's office address, then where it came from, on the next line).
TEST_F(LargeText, ANewlineStartsALineWhenDrawnAndMeasured) {
    const QFont font = drawnFont(17);
    EXPECT_EQ(qt::wrappedLineCount(qt::toQString("http://127.0.0.1:8088/\n命令行 --server"), font, 1000), 2);
    EXPECT_EQ(qt::wrappedLineCount(qt::toQString("一行"), font, 1000), 1);
}

// The settings row stores the size and the open screen is laid out again at once; --text-size
// puts a size in force for one run without storing it; the desktop's size is followed otherwise.
TEST_F(LargeText, TheSettingsRowChangesTheSizeAtOnce) {
    step("type #username 10086");
    step("type #password 123456");
    step("tap #loginAction");
    step("wait 3");
    step("menu right");
    step("tap #ShowSetting");
    step("wait 1");
    step("expect \"字体大小：跟随系统（100%）\"");
    auto* row = ViewFinder::find(window(), "#textSize");
    ASSERT_NE(row, nullptr);
    double before = row->frame().height;

    step("tap #textSize");
    step("wait 1");
    step("pick 200%");
    step("wait 1");
    step("expect \"字体大小：200%\"");
    presenter_->sync();
    EXPECT_EQ(TextSize::percent(), 200);
    EXPECT_EQ(PublicMethod::getStringForKey(kTextSize), std::optional<std::string>("200"));
    auto* title = dynamic_cast<Button*>(ViewFinder::find(window(), "#textSize"));
    ASSERT_NE(title, nullptr);
    EXPECT_DOUBLE_EQ(title->fontSize(), 2 * title->designFontSize());
    EXPECT_GE(title->frame().height, before);
    EXPECT_TRUE(faults("settings at 200 %").empty());

    // Back to the desktop's: a desktop at 160 % of the design size gives 150 %.
    DisplaySettings::setTextSize(std::nullopt);
    EXPECT_FALSE(PublicMethod::getStringForKey(kTextSize));
    TextSize::setDesktopPercent(160);
    EXPECT_EQ(TextSize::percent(), 150);
    TextSize::setDesktopPercent(100);

    // A size for this run wins over the stored one and is not written; an unknown stored value
    // follows the desktop.
    PublicMethod::setObject("175", kTextSize);
    DisplaySettings::apply();
    EXPECT_EQ(TextSize::percent(), 175);
    DisplaySettings::setTextSizeForThisRun(125);
    DisplaySettings::apply();
    EXPECT_EQ(TextSize::percent(), 125);
    EXPECT_EQ(PublicMethod::getStringForKey(kTextSize), std::optional<std::string>("175"));
    DisplaySettings::setTextSizeForThisRun(std::nullopt);
    PublicMethod::setObject("300", kTextSize);
    DisplaySettings::apply();
    EXPECT_EQ(TextSize::preference(), std::nullopt);
}

}  // namespace
}  // namespace busdesk
