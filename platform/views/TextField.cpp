#include "platform/views/TextField.h"

#include "platform/views/DumpWriter.h"
#include "platform/views/Label.h"
#include "platform/views/Window.h"

namespace busdesk {

namespace {
std::size_t codePoints(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string bullets(const std::string& s) {
    std::string out;
    for (std::size_t i = codePoints(s); i > 0; --i) out += "\u2022";
    return out;
}

bool takeFocus(View& v) {
    Window* w = v.window();
    if (!w) return false;
    w->setFirstResponder(&v);
    return true;
}

bool isFocused(const View& v) {
    Window* w = v.window();
    return w && w->firstResponder() == &v;
}

void dropFocus(View& v) {
    if (Window* w = v.window(); w && w->firstResponder() == &v) w->setFirstResponder(nullptr);
}

// The caption a form puts beside a field: the nearest shown label in the same parent that ends
// where the field begins and whose line the field's middle crosses, else a label right above it.
std::string captionOf(const View& field) {
    const View* parent = field.superview();
    if (!parent) return {};
    Rect f = field.frame();
    const Label* left = nullptr;
    const Label* above = nullptr;
    double leftGap = 0, aboveGap = 0;
    for (const auto& c : parent->subviews()) {
        const auto* l = dynamic_cast<const Label*>(c.get());
        if (!l || l->hidden() || l->text().empty()) continue;
        Rect r = l->frame();
        if (r.maxX() <= f.x + 4 && f.midY() >= r.y && f.midY() <= r.maxY()) {
            double gap = f.x - r.maxX();
            if (!left || gap < leftGap) left = l, leftGap = gap;
        } else if (r.maxY() <= f.y + 2 && f.y - r.maxY() <= 16 && r.x < f.maxX() && f.x < r.maxX()) {
            double gap = f.y - r.maxY();
            if (!above || gap < aboveGap) above = l, aboveGap = gap;
        }
    }
    if (left) return left->text();
    return above ? above->text() : std::string();
}
}  // namespace

TextField::TextField(Rect frame) : Control(frame) {}

void TextField::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    notifyChanged(ViewChange::Text);
}

void TextField::setPlaceholder(std::string p) {
    placeholder_ = std::move(p);
    notifyChanged(ViewChange::Text);
}

void TextField::setSecureTextEntry(bool s) {
    if (s == secure_) return;
    secure_ = s;
    notifyChanged(ViewChange::Text);
}

void TextField::setFontSize(double s) {
    fontSize_ = s;
    notifyChanged(ViewChange::Text);
}

void TextField::setTextAlignment(TextAlignment a) {
    alignment_ = a;
    notifyChanged(ViewChange::Text);
}

bool TextField::becomeFirstResponder() {
    if (isFirstResponder()) return true;
    if (!takeFocus(*this)) return false;
    if (auto d = delegate()) d->textFieldDidBeginEditing(*this);
    return true;
}

bool TextField::resignFirstResponder() {
    if (!isFirstResponder()) return true;
    dropFocus(*this);
    if (auto d = delegate()) d->textFieldDidEndEditing(*this);
    return true;
}

bool TextField::isFirstResponder() const {
    return isFocused(*this);
}

bool TextField::userTap() {
    if (!enabled()) return false;
    auto keep = weak_from_this().lock();
    if (auto d = delegate(); d && !d->textFieldShouldBeginEditing(*this)) return true;
    becomeFirstResponder();
    // Beginning to edit is no control event: the field's actions are not sent.
    runTapHandlers();
    return true;
}

bool TextField::userType(const std::string& text) {
    if (!enabled()) return false;
    auto keep = weak_from_this().lock();
    if (!isFirstResponder()) {
        if (auto d = delegate(); d && !d->textFieldShouldBeginEditing(*this)) return false;
        becomeFirstResponder();  // without a window the text is still taken
    }
    setText(text);
    if (auto d = delegate()) d->textFieldDidChange(*this);
    // A field's actions are its "editing changed" targets.
    sendActions();
    return true;
}

void TextField::userPressReturn() {
    auto keep = weak_from_this().lock();
    if (auto d = delegate())
        d->textFieldShouldReturn(*this);
    else
        resignFirstResponder();
}

bool TextField::acceptsKeyboardFocus() const {
    return enabled() && !accessibilityHidden();
}

bool TextField::userKey(const KeyEvent& key) {
    // Enter in a typed field is the screen's (its main action), Space is typing.
    if (opensChooser_ && (key.key == Key::Return || key.key == Key::Space) && !key.shift) return userTap();
    return false;
}

std::optional<double> TextField::fitTextHeight(Rect frame) {
    (void)frame;
    return measureText("M", fontSize(), {}).height + 8;
}

bool TextField::dump(DumpWriter& out) const {
    std::string line =
        DumpWriter::head("field", *this) + ": " + DumpWriter::quote(secure_ ? bullets(text_) : text_);
    if (text_.empty() && !placeholder_.empty()) line += " placeholder " + DumpWriter::quote(placeholder_);
    if (!enabled()) line += " (disabled)";
    if (isFirstResponder()) line += " (focused)";
    out.line(line);
    return false;
}

std::vector<std::string> TextField::selectableTexts() const {
    std::vector<std::string> t;
    if (!text_.empty() && !secure_) t.push_back(text_);
    if (!placeholder_.empty()) t.push_back(placeholder_);
    return t;
}

TextView::TextView(Rect frame) : View(frame) {}

void TextView::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    notifyChanged(ViewChange::Text);
}

void TextView::setFontSize(double s) {
    fontSize_ = s;
    notifyChanged(ViewChange::Text);
}

bool TextView::becomeFirstResponder() {
    return isFirstResponder() || takeFocus(*this);
}

bool TextView::resignFirstResponder() {
    if (!isFirstResponder()) return true;
    dropFocus(*this);
    if (auto d = delegate_.lock()) d->textViewDidEndEditing(*this);
    return true;
}

bool TextView::isFirstResponder() const {
    return isFocused(*this);
}

bool TextView::userTap() {
    if (!editable_) return View::userTap();
    auto keep = weak_from_this().lock();
    if (auto d = delegate_.lock(); d && !d->textViewShouldBeginEditing(*this)) return true;
    becomeFirstResponder();
    View::userTap();
    return true;
}

bool TextView::userType(const std::string& text) {
    if (!editable_) return false;
    auto keep = weak_from_this().lock();
    if (!isFirstResponder()) {
        if (auto d = delegate_.lock(); d && !d->textViewShouldBeginEditing(*this)) return false;
        becomeFirstResponder();
    }
    setText(text);
    if (auto d = delegate_.lock()) d->textViewDidChange(*this);
    return true;
}

bool TextView::dump(DumpWriter& out) const {
    std::string line = DumpWriter::head("textview", *this) + ": " + DumpWriter::quote(text_);
    if (isFirstResponder()) line += " (focused)";
    out.line(line);
    return true;  // a placeholder label inside is shown too
}

std::vector<std::string> TextView::selectableTexts() const {
    if (text_.empty()) return View::selectableTexts();
    return {text_};
}

std::string TextField::accessibleName() const {
    if (!accessibilityLabel().empty()) return accessibilityLabel();
    if (auto caption = captionOf(*this); !caption.empty()) return caption;
    return placeholder_;
}

std::string TextView::accessibleName() const {
    if (!accessibilityLabel().empty()) return accessibilityLabel();
    if (auto caption = captionOf(*this); !caption.empty()) return caption;
    // A form draws its hint as a label inside the text view.
    for (const auto& c : subviews())
        if (const auto* l = dynamic_cast<const Label*>(c.get()); l && !l->text().empty()) return l->text();
    return {};
}

}  // namespace busdesk
