#include "platform/views/Button.h"

#include <algorithm>
#include <cmath>

#include "platform/views/DumpWriter.h"
#include "platform/views/Label.h"

namespace busdesk {

namespace {
template <class Map>
auto lookup(const Map& m, ControlState s) -> const typename Map::mapped_type* {
    if (auto it = m.find(s); it != m.end()) return &it->second;
    if (auto it = m.find(ControlState::Normal); it != m.end()) return &it->second;
    return nullptr;
}
}  // namespace

Button::Button(Rect frame, std::string title) : Control(frame) {
    if (!title.empty()) titles_[ControlState::Normal] = std::move(title);
}

void Button::setTitle(std::string title, ControlState state) {
    titles_[state] = std::move(title);
    notifyChanged(ViewChange::Text);
}

std::string Button::titleForState(ControlState state) const {
    auto* t = lookup(titles_, state);
    return t ? *t : std::string();
}

void Button::setTitleColor(Color c, ControlState state) {
    titleColors_[state] = c;
    notifyChanged(ViewChange::Text);
}

std::optional<Color> Button::titleColorForState(ControlState state) const {
    auto* c = lookup(titleColors_, state);
    return c ? std::optional<Color>(*c) : std::nullopt;
}

void Button::setFontSize(double s) {
    fontSize_ = s;
    notifyChanged(ViewChange::Text);
}

void Button::setTitleWrapsToFit(bool wraps) {
    if (wraps == titleWraps_) return;
    titleWraps_ = wraps;
    notifyChanged(ViewChange::Text);
}

bool Button::drawsIconOverTitle(Rect frame) const {
    return frame.height >= kIconOverTitleHeight && !currentTitle().empty() &&
           !imageNameForState(state()).empty();
}

double Button::titleFontSize(Rect frame) const {
    const double size = fontSize();
    if (!drawsIconOverTitle(frame) && !keepsWordsWhole_) return size;
    return Label::wholeWordsSize(currentTitle(), size, fontSize_, frame.width - 2 * titleInset(frame));
}

std::optional<double> Button::fitTextHeight(Rect frame) {
    std::string title = currentTitle();
    const bool iconOverTitle = drawsIconOverTitle(frame);
    // Icon buttons, titled icons in a row and buttons drawn as pictures keep their frames.
    if (title.empty() || (!imageNameForState(state()).empty() && !iconOverTitle)) return std::nullopt;
    // A wrapped title keeps 4 points clear above and below, and its inset at either side.
    constexpr double kPadding = 8;
    const double size = titleFontSize(frame);
    const double top = iconOverTitle ? kIconOverTitleTop : 0;
    const double sides = 2 * titleInset(frame);
    setTitleWrapsToFit(textWidth(title, size) >
                       frame.width - (iconOverTitle ? sides : 0) + Label::kWidthSlack);
    if (!titleWraps_) return top + measureText(title, size, {}).height;
    return top + measureText(title, size, {std::max(1.0, frame.width - sides), 0}).height + kPadding;
}

void Button::setKeepsWordsWhole(bool keep) {
    keepsWordsWhole_ = keep;
    notifyChanged(ViewChange::Text);
}

void Button::setImageName(std::string name, ControlState state) {
    imageNames_[state] = std::move(name);
    notifyChanged(ViewChange::Image);
}

std::string Button::imageNameForState(ControlState state) const {
    auto* n = lookup(imageNames_, state);
    return n ? *n : std::string();
}

void Button::setBackgroundImage(std::shared_ptr<const Image> image, ControlState state) {
    backgroundImages_[state] = std::move(image);
    notifyChanged(ViewChange::Image);
}

std::shared_ptr<const Image> Button::backgroundImageForState(ControlState state) const {
    auto* i = lookup(backgroundImages_, state);
    return i ? *i : nullptr;
}

void Button::setBackgroundImageName(std::string name, ControlState state) {
    backgroundImageNames_[state] = std::move(name);
    notifyChanged(ViewChange::Image);
}

std::string Button::backgroundImageNameForState(ControlState state) const {
    auto* n = lookup(backgroundImageNames_, state);
    return n ? *n : std::string();
}

bool Button::dump(DumpWriter& out) const {
    std::string title = currentTitle();
    if (title.empty() && identifier().empty()) return true;
    std::string line = DumpWriter::head("button", *this);
    if (!title.empty()) line += ": " + DumpWriter::quote(title);
    if (!enabled()) line += " (disabled)";
    if (selected()) line += " (selected)";
    out.line(line);
    return true;
}

std::vector<std::string> Button::selectableTexts() const {
    auto t = currentTitle();
    if (t.empty()) return View::selectableTexts();
    return {t};
}

std::string Button::accessibleName() const {
    if (!accessibilityLabel().empty()) return accessibilityLabel();
    if (std::string title = currentTitle(); !title.empty()) return title;
    // A bare tap target laid over texts (a row's "open" button) says the texts it covers.
    std::string out;
    if (!superview() || !imageNameForState(state()).empty()) return out;
    for (const auto& sibling : superview()->subviews()) {
        const auto* label = dynamic_cast<const Label*>(sibling.get());
        if (!label || label->hidden() || label->text().empty() || !frame().intersects(label->frame()))
            continue;
        if (!out.empty()) out += ", ";
        out += label->text();
    }
    return out;
}

}  // namespace busdesk
