#include "platform/views/Label.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "platform/views/DumpWriter.h"

namespace busdesk {

Label::Label(Rect frame, std::string text) : View(frame), text_(std::move(text)) {}

void Label::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    notifyChanged(ViewChange::Text);
}

void Label::setFontSize(double size) {
    if (size == fontSize_) return;
    fontSize_ = size;
    notifyChanged(ViewChange::Text);
}

void Label::setFontName(std::string name) {
    fontName_ = std::move(name);
    notifyChanged(ViewChange::Text);
}

void Label::setBoldFont(bool bold) {
    if (bold == bold_) return;
    bold_ = bold;
    notifyChanged(ViewChange::Text);
}

void Label::setTextColor(Color c) {
    if (c == textColor_) return;
    textColor_ = c;
    notifyChanged(ViewChange::Text);
}

void Label::setTextAlignment(TextAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    notifyChanged(ViewChange::Text);
}

void Label::setNumberOfLines(int n) {
    if (n == lines_) return;
    lines_ = n;
    notifyChanged(ViewChange::Text);
}

void Label::setAdjustsFontSizeToFitWidth(bool a) {
    if (a == adjustsFont_) return;
    adjustsFont_ = a;
    notifyChanged(ViewChange::Text);
}

void Label::setKeepsWordsWhole(bool keep) {
    if (keep == keepsWordsWhole_) return;
    keepsWordsWhole_ = keep;
    notifyChanged(ViewChange::Text);
}

double Label::fontSizeFor(double width) const {
    const double size = TextSize::scaled(fontSize_);
    return keepsWordsWhole_ ? wholeWordsSize(text_, size, fontSize_, width) : size;
}

double Label::wholeWordsSize(const std::string& text, double size, double floor, double room) {
    double widest = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word(text.data() + at, end - at);
        if (std::all_of(word.begin(), word.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            widest = std::max(widest, textWidth(std::string(word), size));
        at = end + 1;
    }
    if (widest <= room) return size;
    // In whole points, rounded down, and with 2 points to spare: a word measured whole may still be
    // laid out a fraction wider, and a size rounded up would not fit again.
    return std::max(floor, std::floor(size * (room - 2) / widest));
}

void Label::setWrapsToFit(bool wraps) {
    if (wraps == wrapsToFit_) return;
    wrapsToFit_ = wraps;
    notifyChanged(ViewChange::Text);
}

std::optional<double> Label::fitTextHeight(Rect frame) {
    if (text_.empty()) {
        setWrapsToFit(false);
        return frame.height;
    }
    const double size = fontSizeFor(frame.width);
    if (lines_ != 1) return measureText(text_, size, {frame.width, 0}).height;
    // A label that shrinks its text to its width, or moves it sideways, keeps one line.
    bool tooWide = textWidth(text_, size) > frame.width + kWidthSlack;
    setWrapsToFit(tooWide && !adjustsFont_ && !marqueeFrame());
    return measureText(text_, size, {wrapsToFit_ ? frame.width : 0, 0}).height;
}

Size Label::sizeThatFits(Size constraint) const {
    if (lines_ == 1) constraint.width = 0;
    Size s = measureText(text_, fontSize(), constraint);
    if (lines_ > 0) s.height = std::min(s.height, lines_ * 1.2 * fontSize());
    return s;
}

bool Label::dump(DumpWriter& out) const {
    if (text_.empty() && identifier().empty()) return true;
    out.line(DumpWriter::head("label", *this) + ": " + DumpWriter::quote(text_));
    return true;
}

std::vector<std::string> Label::selectableTexts() const {
    if (text_.empty()) return View::selectableTexts();
    return {text_};
}

std::string Label::accessibleName() const {
    return accessibilityLabel().empty() ? text_ : accessibilityLabel();
}

AccessibilityRole Label::defaultAccessibilityRole() const {
    return hasTapHandlers() ? AccessibilityRole::Button : AccessibilityRole::StaticText;
}

}  // namespace busdesk
