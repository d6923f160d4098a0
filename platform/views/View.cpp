#include "platform/views/View.h"

#include <algorithm>

#include "platform/Charset.h"

namespace busdesk {

namespace {
std::vector<ViewObserver*>& observers() {
    static std::vector<ViewObserver*> list;
    return list;
}

// Observers may remove themselves while being told; iterate over a copy.
template <class F>
void tellObservers(F&& f) {
    if (observers().empty()) return;
    auto copy = observers();
    for (auto* o : copy)
        if (std::find(observers().begin(), observers().end(), o) != observers().end()) f(*o);
}

std::weak_ptr<ViewHost>& keySlot() {
    static std::weak_ptr<ViewHost> key;
    return key;
}

bool subtreeBlocks(const View& v) {
    if (v.hidden() || v.alpha() <= 0) return false;
    if (v.blocksTouchesBelow()) return true;
    for (auto& c : v.subviews())
        if (subtreeBlocks(*c)) return true;
    return false;
}
}  // namespace

void addViewObserver(ViewObserver* observer) {
    if (observer && std::find(observers().begin(), observers().end(), observer) == observers().end())
        observers().push_back(observer);
}

void removeViewObserver(ViewObserver* observer) {
    std::erase(observers(), observer);
}

std::shared_ptr<ViewHost> ViewHost::keyHost() {
    return keySlot().lock();
}

void ViewHost::setKeyHost(std::weak_ptr<ViewHost> host) {
    keySlot() = std::move(host);
}

View::View() = default;
View::View(Rect frame) : frame_(frame) {}

View::~View() {
    for (auto& c : subviews_) c->superview_ = nullptr;
    tellObservers([&](ViewObserver& o) { o.viewDestroyed(*this); });
}

void View::setFrame(Rect frame) {
    if (frame == frame_) return;
    frame_ = frame;
    notifyChanged(ViewChange::Frame);
    layoutSubviews();
    if (owner_) owner_->viewDidLayoutSubviews();
}

void View::setFittedFrame(Rect frame, bool relayout) {
    Rect design = layoutFrame();
    if (frame == design)
        fitted_.reset();
    else
        fitted_ = Fitted{design, frame};
    if (frame == frame_) return;
    if (relayout) {
        setFrame(frame);
        return;
    }
    frame_ = frame;
    notifyChanged(ViewChange::Frame);
}

Rect View::bounds() const {
    return {0, 0, frame_.width, frame_.height};
}

void View::setCenter(Point c) {
    setFrame({c.x - frame_.width / 2, c.y - frame_.height / 2, frame_.width, frame_.height});
}

Rect View::frameInWindow() const {
    Rect r = frame_;
    for (const View* p = superview_; p; p = p->superview_) {
        Rect b = p->bounds();
        r.x += p->frame_.x - b.x;
        r.y += p->frame_.y - b.y;
    }
    return r;
}

void View::addSubview(std::shared_ptr<View> child) {
    insertSubview(std::move(child), subviews_.size());
}

void View::insertSubview(std::shared_ptr<View> child, std::size_t index) {
    if (!child || child.get() == this || isDescendantOf(*child)) return;
    Window* oldWindow = child->window();
    if (child->superview_) child->removeFromSuperview();
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->superview_ = this;
    tellObservers([&](ViewObserver& o) { o.viewAdded(*this, *child, index); });
    if (child->window() != oldWindow) child->propagateWindowChange();
    didAddSubview(*child);
}

void View::removeFromSuperview() {
    View* parent = superview_;
    if (!parent) return;
    auto it = std::find_if(parent->subviews_.begin(), parent->subviews_.end(),
                           [&](auto& c) { return c.get() == this; });
    if (it == parent->subviews_.end()) return;
    auto keep = *it;  // stay alive until the observers have heard of it
    ViewHost* oldHost = host();
    if (oldHost && oldHost->firstResponder() && oldHost->firstResponder()->isDescendantOf(*this))
        oldHost->setFirstResponder(nullptr);
    parent->subviews_.erase(it);
    superview_ = nullptr;
    tellObservers([&](ViewObserver& o) { o.viewRemoved(*parent, *this); });
    if (oldHost) propagateWindowChange();
}

void View::bringSubviewToFront(View& child) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](auto& c) { return c.get() == &child; });
    if (it == subviews_.end() || it + 1 == subviews_.end()) return;
    auto keep = *it;
    subviews_.erase(it);
    keep->superview_ = nullptr;
    tellObservers([&](ViewObserver& o) { o.viewRemoved(*this, *keep); });
    subviews_.push_back(keep);
    keep->superview_ = this;
    tellObservers([&](ViewObserver& o) { o.viewAdded(*this, *keep, subviews_.size() - 1); });
}

void View::removeAllSubviews() {
    while (!subviews_.empty()) subviews_.back()->removeFromSuperview();
}

bool View::isDescendantOf(const View& ancestor) const {
    for (const View* v = this; v; v = v->superview_)
        if (v == &ancestor) return true;
    return false;
}

View* View::viewWithTag(int tag) {
    if (tag_ == tag) return this;
    for (auto& c : subviews_)
        if (auto* hit = c->viewWithTag(tag)) return hit;
    return nullptr;
}

View* View::viewWithIdentifier(const std::string& identifier) {
    if (identifier_ == identifier) return this;
    for (auto& c : subviews_)
        if (auto* hit = c->viewWithIdentifier(identifier)) return hit;
    return nullptr;
}

Window* View::window() const {
    ViewHost* h = host();
    return h ? h->hostWindow() : nullptr;
}

ViewHost* View::host() const {
    const View* v = this;
    while (v->superview_) v = v->superview_;
    return dynamic_cast<ViewHost*>(const_cast<View*>(v));
}

void View::setHidden(bool hidden) {
    if (hidden == hidden_) return;
    hidden_ = hidden;
    if (hidden) endEditing();
    notifyChanged(ViewChange::Hidden);
}

void View::setAlpha(double alpha) {
    alpha = std::clamp(alpha, 0.0, 1.0);
    alphaAnimation_ = AnimatedValue::fixed(alpha);
    if (alpha == alpha_) return;
    alpha_ = alpha;
    notifyChanged(ViewChange::Alpha);
}

void View::animateAlpha(double to, Clock::Duration duration) {
    to = std::clamp(to, 0.0, 1.0);
    alphaAnimation_ = AnimatedValue::begin(presentationAlpha(), to, duration);
    alpha_ = to;
    notifyChanged(ViewChange::Alpha);
}

double View::presentationAlpha() const {
    return alphaAnimation_.current();
}

void View::setBackgroundColor(std::optional<Color> c) {
    if (c == backgroundColor_) return;
    backgroundColor_ = c;
    notifyChanged(ViewChange::Appearance);
}

void View::setCornerRadius(double r) {
    if (r == cornerRadius_) return;
    cornerRadius_ = r;
    notifyChanged(ViewChange::Appearance);
}

void View::setClipsToBounds(bool c) {
    if (c == clipsToBounds_) return;
    clipsToBounds_ = c;
    notifyChanged(ViewChange::Appearance);
}

void View::setShadow(std::optional<Shadow> shadow) {
    if (shadow == shadow_) return;
    shadow_ = shadow;
    notifyChanged(ViewChange::Appearance);
}

void View::setOutline(std::optional<Outline> outline) {
    if (outline == outline_) return;
    outline_ = outline;
    notifyChanged(ViewChange::Appearance);
}

void View::setPresentationOffset(std::optional<PresentationOffset> offset) {
    presentationOffset_ = offset;
    notifyChanged(ViewChange::Animation);
}

void View::setZPosition(double z) {
    if (z == zPosition_) return;
    zPosition_ = z;
    notifyChanged(ViewChange::Appearance);
}

void View::setShowsActivityIndicator(bool shows) {
    if (shows == showsActivity_) return;
    showsActivity_ = shows;
    notifyChanged(ViewChange::Appearance);
}

void View::setIdentifier(std::string id) {
    identifier_ = std::move(id);
}

void View::setAccessibilityLabel(std::string text) {
    accessibilityLabel_ = std::move(text);
    notifyChanged(ViewChange::Text);
}

void View::setAccessibilityHint(std::string text) {
    if (text == accessibilityHint_) return;
    accessibilityHint_ = std::move(text);
    notifyChanged(ViewChange::Text);
}

void View::setAccessibilityRole(AccessibilityRole role) {
    role_ = role;
    notifyChanged(ViewChange::Text);
}

void View::setAccessibilityHidden(bool hidden) {
    if (hidden == accessibilityHidden_) return;
    accessibilityHidden_ = hidden;
    notifyChanged(ViewChange::Text);
}

AccessibilityRole View::defaultAccessibilityRole() const {
    return tapHandlers_.empty() ? AccessibilityRole::None : AccessibilityRole::Button;
}

void View::setUserInteractionEnabled(bool e) {
    if (e == userInteractionEnabled_) return;
    userInteractionEnabled_ = e;
    notifyChanged(ViewChange::Interaction);
}

void View::setBlocksTouchesBelow(bool b) {
    if (b == blocksTouchesBelow_) return;
    blocksTouchesBelow_ = b;
    notifyChanged(ViewChange::Interaction);
}

bool View::isVisible() const {
    const View* v = this;
    for (; v; v = v->superview_) {
        if (v->hidden_ || v->alpha_ <= 0) return false;
        if (!v->superview_) break;
        if (v->superview_->hidesSubview(*v)) return false;
    }
    return dynamic_cast<const ViewHost*>(v) != nullptr;
}

bool View::isReachable() const {
    if (!isVisible()) return false;
    for (const View* v = this; v->superview_; v = v->superview_) {
        if (!v->userInteractionEnabled_) return false;
        const View* p = v->superview_;
        auto it =
            std::find_if(p->subviews_.begin(), p->subviews_.end(), [&](auto& c) { return c.get() == v; });
        for (++it; it != p->subviews_.end(); ++it)
            if (subtreeBlocks(**it)) return false;
    }
    return true;
}

bool View::acceptsKeyboardFocus() const {
    return !accessibilityHidden_ && hasTapHandlers();
}

bool View::userKey(const KeyEvent& key) {
    if ((key.key == Key::Return || key.key == Key::Space) && !key.shift && hasTapHandlers()) return userTap();
    return false;
}

bool View::userEscape() {
    if (!escapeHandler_) return false;
    auto keep = weak_from_this().lock();
    auto handler = escapeHandler_;
    return handler();
}

bool View::userTap() {
    return runTapHandlers();
}

bool View::runTapHandlers() {
    if (tapHandlers_.empty()) return false;
    auto keep = weak_from_this().lock();
    auto handlers = tapHandlers_;
    for (auto& h : handlers) h(*this);
    return true;
}

void View::addTapHandler(Action handler) {
    if (handler) tapHandlers_.push_back(std::move(handler));
}

void View::endEditing() {
    ViewHost* h = host();
    if (!h) return;
    if (View* fr = h->firstResponder(); fr && fr->isDescendantOf(*this)) h->setFirstResponder(nullptr);
}

bool View::dump(DumpWriter& out) const {
    (void)out;
    return true;
}

std::vector<std::string> View::selectableTexts() const {
    if (accessibilityLabel_.empty()) return {};
    return {accessibilityLabel_};
}

void View::notifyChanged(ViewChange what) {
    needsDisplay_ = true;
    ++revision_;
    tellObservers([&](ViewObserver& o) { o.viewChanged(*this, what); });
}

void View::propagateWindowChange() {
    didMoveToWindow();
    auto children = subviews_;
    for (auto& c : children) c->propagateWindowChange();
}

namespace {
double charWidth(char32_t cp, double fontSize) {
    return (cp < 0x80 ? 0.55 : 1.0) * fontSize;
}
}  // namespace

TextMetrics& installedMetrics() {
    static TextMetrics metrics;
    return metrics;
}

void setTextMetrics(TextMetrics metrics) {
    installedMetrics() = std::move(metrics);
}

double textWidth(const std::string& utf8, double fontSize) {
    if (const auto& m = installedMetrics(); m.width) return m.width(utf8, fontSize);
    double w = 0, best = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = Charset::nextCodePoint(utf8, i);
        if (cp == '\n') {
            best = std::max(best, w);
            w = 0;
            continue;
        }
        w += charWidth(cp, fontSize);
    }
    return std::max(best, w);
}

namespace {
// The size of `lines` lines of text `width` wide, `pitch` apart, within `constraint` (a height that
// cuts the text keeps whole lines, at least one).
Size withinConstraint(double width, int lines, double pitch, Size constraint) {
    if (constraint.width > 0) width = std::min(width, constraint.width);
    double height = lines * pitch;
    if (constraint.height > 0 && height > constraint.height)
        height = std::max(1, static_cast<int>(constraint.height / pitch)) * pitch;
    if (constraint.height > 0) height = std::min(height, constraint.height);
    return {width, height};
}
}  // namespace

Size measureText(const std::string& utf8, double fontSize, Size constraint) {
    if (const auto& m = installedMetrics(); m.width && m.lines && m.lineHeight && !utf8.empty()) {
        int lines = constraint.width > 0 ? m.lines(utf8, fontSize, constraint.width)
                                         : 1 + static_cast<int>(std::count(utf8.begin(), utf8.end(), '\n'));
        return withinConstraint(m.width(utf8, fontSize), lines, m.lineHeight(fontSize), constraint);
    }
    double width = 0, lineWidth = 0;
    int lines = utf8.empty() ? 0 : 1;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = Charset::nextCodePoint(utf8, i);
        if (cp == '\n') {
            width = std::max(width, lineWidth);
            lineWidth = 0;
            ++lines;
            continue;
        }
        double cw = charWidth(cp, fontSize);
        if (constraint.width > 0 && lineWidth > 0 && lineWidth + cw > constraint.width) {
            width = std::max(width, lineWidth);
            lineWidth = 0;
            ++lines;
        }
        lineWidth += cw;
    }
    return withinConstraint(std::max(width, lineWidth), lines, 1.2 * fontSize, constraint);
}

}  // namespace busdesk
