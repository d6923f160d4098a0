// Every text and icon the window shows, with the colour it is drawn in and the colour actually
// under it, in either palette: what the contrast checks measure.
#pragma once

#include <QRect>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/qt/WindowPresenter.h"
#include "platform/views/Button.h"
#include "platform/views/DatePicker.h"
#include "platform/views/ImageView.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "platform/views/PickerView.h"
#include "platform/views/TableViewCell.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

namespace busdesk::window_tests {

struct DrawnText {
    View* view;
    std::string text;  // the text, or "icon NAME"
    Color colour;      // opaque: the text's colour laid over its ground
    Color ground;      // opaque
    double needed;     // 4.5, or 3 for large text and icons
    double ratio() const { return contrastRatio(colour, ground); }
    std::string describe() const {
        std::ostringstream out;
        out << "\"" << text << "\" #" << view->identifier() << " " << colour.hexString() << " on "
            << ground.hexString() << ": " << ratio() << " (needs " << needed << ")";
        return out.str();
    }
};

// What the presentation fills a view with, in `a`: its background colour, the pictures of the
// title bar and the side menus, and the palette's background where the window, a row or a wheel
// has none of its own. The lightest colour of a gradient stands for it (the text on it is light).
inline std::optional<Color> fillOf(View& v, Appearance a) {
    if (auto* bar = dynamic_cast<NavigationBar*>(&v); bar && bar->backgroundImageName())
        return Palette::value(ColorRole::Bar, a);
    if (auto* image = dynamic_cast<ImageView*>(&v); image && image->imageName() == "MenuBackground")
        return Palette::value(ColorRole::Menu, a);
    if (auto bg = v.backgroundColor()) {
        if (bg->alpha <= 0) return std::nullopt;
        return Palette::resolve(*bg, a);
    }
    if (dynamic_cast<Window*>(&v) || dynamic_cast<TableViewCell*>(&v) || dynamic_cast<PickerView*>(&v) ||
        dynamic_cast<DatePicker*>(&v))
        return Palette::value(ColorRole::Background, a);
    return std::nullopt;
}

// Where the window shows `v`: its widget's rectangle in the window, cut by every widget around it
// (a list clips the rows scrolled out of it); nothing when none of it shows.
inline std::optional<QRect> shownRect(const qt::WindowPresenter& presenter, const View& v) {
    const QWidget* w = presenter.widgetFor(v);
    const QWidget* surface = presenter.surface();
    if (!w || !w->isVisibleTo(surface)) return std::nullopt;
    QRect r(w->mapTo(surface, QPoint(0, 0)), w->size());
    for (const QWidget* up = w->parentWidget(); up && up != surface; up = up->parentWidget())
        r &= QRect(up->mapTo(surface, QPoint(0, 0)), up->size());
    r &= surface->rect();
    if (r.isEmpty()) return std::nullopt;
    return r;
}

inline bool within(const View& v, const View& ancestor) {
    for (const View* up = &v; up; up = up->superview())
        if (up == &ancestor) return true;
    return false;
}

// The views the window shows, in the order it draws them: a view before its subviews, siblings in
// order of their z position, then of addition (as the presenter stacks the widgets).
inline std::vector<View*> drawingOrder(const qt::WindowPresenter& presenter, View& root) {
    std::vector<View*> out;
    std::function<void(View&)> visit = [&](View& v) {
        if (v.hidden() || v.presentationAlpha() <= 0.001 || !presenter.widgetFor(v)) return;
        out.push_back(&v);
        std::vector<View*> children;
        for (auto& c : v.subviews())
            if (!v.hidesSubview(*c)) children.push_back(c.get());
        std::stable_sort(children.begin(), children.end(),
                         [](View* x, View* y) { return x->zPosition() < y->zPosition(); });
        for (View* c : children) visit(*c);
    };
    visit(root);
    return out;
}

// The text's colour and the colour under it, as seen at `middle`: the fills drawn before the text
// there (and the text's own view's) laid one over the other, the text over them, and whatever is
// drawn over the text later (a dimming cover) over both; each at the opacity the window draws with.
// Nothing when an opaque view drawn later hides the text, or a scrim dims it (the content under a
// sheet, an alert or a menu is not there to be read).
inline std::optional<std::pair<Color, Color>> seenAt(const qt::WindowPresenter& presenter, View& text,
                                                     const Color& colour, QPoint middle,
                                                     const std::vector<View*>& order, Appearance a) {
    Color ground = Palette::value(ColorRole::Background, a);
    Color seen;
    bool drawn = false;
    for (View* v : order) {
        if (v != &text && within(*v, text)) continue;  // the text's own subviews
        auto place = shownRect(presenter, *v);
        if (place && place->contains(middle)) {
            if (auto fill = fillOf(*v, a)) {
                Color c = *fill;
                c.alpha *= v->presentationAlpha();
                // Hidden by an opaque view, or dimmed under a sheet or menu: not there to be read.
                bool scrim = v->backgroundColor() && v->backgroundColor()->role == ColorRole::Scrim;
                if (drawn && (c.alpha >= 0.999 || scrim)) return std::nullopt;
                ground = composite(c, ground);
                if (drawn) seen = composite(c, seen);
            }
        }
        if (v == &text) {
            Color c = Palette::resolve(colour, a);
            c.alpha *= v->presentationAlpha();
            seen = composite(c, ground);
            drawn = true;
        }
    }
    return std::make_pair(seen, ground);
}

inline bool isLarge(double size, bool bold) {
    return size >= 18 || (bold && size >= 14);
}

// Every text and icon the window shows, measured in `a`.
inline std::vector<DrawnText> drawnTexts(const qt::WindowPresenter& presenter, Appearance a) {
    std::vector<DrawnText> out;
    const auto order = drawingOrder(presenter, *presenter.window());
    auto add = [&](View* v, std::string text, const Color& colour, double needed) {
        auto place = shownRect(presenter, *v);
        if (!place) return;
        if (auto seen = seenAt(presenter, *v, colour, place->center(), order, a))
            out.push_back({v, std::move(text), seen->first, seen->second, needed});
    };
    for (View* v : order) {
        if (v->checkBoxLook()) {
            add(v, "check box", Color::of(ColorRole::Accent), 3);
        } else if (auto* l = dynamic_cast<Label*>(v); l && !l->text().empty()) {
            add(v, l->text(), l->textColor(), isLarge(l->fontSize(), l->boldFont()) ? 3 : 4.5);
        } else if (auto* f = dynamic_cast<TextField*>(v)) {
            if (!f->text().empty())
                add(v, f->secureTextEntry() ? "(password)" : f->text(), Color::of(ColorRole::Text), 4.5);
            else if (!f->placeholder().empty())
                add(v, f->placeholder(), Color::of(ColorRole::Placeholder), 4.5);
        } else if (auto* b = dynamic_cast<Button*>(v); b && b->enabled()) {
            // Drawn as the presentation draws it: the button's title colour, else the accent, and
            // an icon on the title bar in the bar's colour.
            auto own = b->titleColorForState(b->state());
            bool onBar = dynamic_cast<NavigationBar*>(b->superview()) != nullptr;
            if (!b->currentTitle().empty())
                add(v, b->currentTitle(), own.value_or(Color::of(ColorRole::Accent)),
                    isLarge(b->fontSize(), false) ? 3 : 4.5);
            std::string icon = b->imageNameForState(b->state());
            if (!icon.empty() && !b->backgroundImageForState(b->state()))
                add(v, "icon " + icon, own.value_or(Color::of(onBar ? ColorRole::OnBar : ColorRole::Accent)),
                    3);
        } else if (dynamic_cast<PickerView*>(v) || dynamic_cast<DatePicker*>(v)) {
            add(v, "wheel: chosen row", Color::of(ColorRole::Text), 4.5);
            add(v, "wheel: other rows", Color::of(ColorRole::SecondaryText), 4.5);
        }
    }
    return out;
}

}  // namespace busdesk::window_tests
