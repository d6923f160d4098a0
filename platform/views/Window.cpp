#include "platform/views/Window.h"

#include <utility>

#include "platform/views/TextFit.h"
#include "platform/views/TextSize.h"
#include "platform/views/ViewController.h"

namespace busdesk {

Window::Window(Rect frame) : View(frame) {
    overlay_ = std::make_shared<View>(Rect{0, 0, frame.width, frame.height});
    overlay_->setIdentifier("overlayLayer");
    addSubview(overlay_);
}

Window::~Window() = default;

std::shared_ptr<Window> Window::keyWindow() {
    auto host = ViewHost::keyHost();
    return host ? std::shared_ptr<Window>(host, host->hostWindow()) : nullptr;
}

void Window::makeKeyAndVisible() {
    auto self = std::static_pointer_cast<Window>(shared_from_this());
    ViewHost::setKeyHost(self);
    setHidden(false);
}

bool Window::isKeyWindow() const {
    auto host = ViewHost::keyHost();
    return host && host->hostWindow() == this;
}

void Window::setRootViewController(const std::shared_ptr<ViewController>& vc) {
    if (vc == root_) return;
    auto oldRoot = root_;
    auto oldTop = topViewController();
    if (oldTop) oldTop->beginAppearanceTransition(false, false);
    // Held here by value: an appearance call below may replace the root again, and the caller's
    // pointer may be the very one replaced.
    const std::shared_ptr<ViewController> next = vc;  // NOLINT(performance-unnecessary-copy-initialization)
    root_ = next;
    if (next) {
        auto v = next->view();
        v->setFrame(bounds());
        next->beginAppearanceTransition(true, false);
    }
    if (oldTop && oldTop->isViewLoaded()) oldTop->view()->removeFromSuperview();
    if (oldRoot) {
        // The old root's presentations leave with it.
        std::vector<std::shared_ptr<ViewController>> chain;
        for (auto p = oldRoot->presented_; p; p = p->presented_) chain.push_back(p);
        for (auto& p : chain) p->presenting_.reset();
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->presented_.reset();
        oldRoot->presented_.reset();
    }
    if (next) insertScreenView(next->view());
    if (oldTop) oldTop->endAppearanceTransition();
    if (next) next->endAppearanceTransition();
}

std::shared_ptr<ViewController> Window::topViewController() const {
    auto top = root_;
    while (top && top->presentedViewController()) top = top->presentedViewController();
    return top;
}

void Window::setCoverViewController(std::shared_ptr<ViewController> next) {
    const auto vc = std::move(next);
    if (vc == cover_) return;
    auto old = std::exchange(cover_, vc);
    if (!old) {
        focusUnderCover_ = firstResponder_;
        // Toasts not yet read are of what lies beneath: they wait with it.
        toastsUnderCover_ = std::exchange(toasts_, {});
    }
    if (old) {
        old->beginAppearanceTransition(false, false);
        if (old->isViewLoaded()) old->view()->removeFromSuperview();
        old->endAppearanceTransition();
    }
    if (vc) {
        auto v = vc->view();
        v->setFrame(bounds());
        vc->beginAppearanceTransition(true, false);
        // Nothing under the cover keeps the keyboard; the cover's screen takes it if it wants.
        setFirstResponder(nullptr);
        addSubview(v);
        vc->endAppearanceTransition();
    } else {
        auto focus = std::exchange(focusUnderCover_, {}).lock();
        setFirstResponder(focus && focus->window() == this ? focus.get() : nullptr);
        for (auto& toast : std::exchange(toastsUnderCover_, {})) recordToast(std::move(toast));
    }
    // Everything under the cover changes visibility at once.
    notifyChanged(ViewChange::Hidden);
    if (!cover_) {
        auto jobs = std::exchange(whenUncovered_, {});
        for (auto& job : jobs) job();
    }
}

void Window::runWhenUncovered(std::function<void()> job) {
    if (!job) return;
    if (cover_)
        whenUncovered_.push_back(std::move(job));
    else
        job();
}

bool Window::hidesSubview(const View& child) const {
    return cover_ && cover_->isViewLoaded() && &child != cover_->view().get();
}

void Window::noteUserActivity() {
    if (activityHandler_) activityHandler_();
}

void Window::setFirstResponder(View* v) {
    auto old = firstResponder_.lock();
    if (old.get() == v) return;
    firstResponder_ = v ? v->weak_from_this() : std::weak_ptr<View>();
    if (old) old->notifyChanged(ViewChange::State);
    if (v) v->notifyChanged(ViewChange::State);
    if (v) setFocusedView(v);
}

void Window::setKeyboardInUse(bool inUse) {
    if (inUse == keyboardInUse_) return;
    keyboardInUse_ = inUse;
    if (auto* focused = focusedView()) focused->notifyChanged(ViewChange::State);
}

void Window::setFocusedView(View* v) {
    auto old = focused_.lock();
    if (old.get() == v) return;
    focused_ = v ? v->weak_from_this() : std::weak_ptr<View>();
    if (old) old->notifyChanged(ViewChange::State);
    if (v) v->notifyChanged(ViewChange::State);
}

void Window::recordToast(std::string text) {
    auto& list = cover_ ? toastsUnderCover_ : toasts_;
    if (list.size() >= kMaxRecordedToasts) list.erase(list.begin());
    list.push_back(std::move(text));
}

std::vector<std::string> Window::takeToasts() {
    auto out = std::move(toasts_);
    toasts_.clear();
    return out;
}

void Window::setFrame(Rect frame) {
    View::setFrame(frame);
    layoutSubviews();
}

void Window::layoutSubviews() {
    Rect b = bounds();
    for (auto& c : subviews())
        if (c != overlay_) c->setFrame(b);  // the screens and the cover
    Rect old = overlay_->frame();
    overlay_->setFrame(b);
    // Alerts and sheets span the window and follow its size; toasts keep their place.
    for (auto& c : overlay_->subviews())
        if (c->frame() == old) c->setFrame(b);
}

namespace {
// Every view lays its children out again, top down (a list measures its rows again).
void layOutAgain(View& v) {
    v.layoutSubviews();
    if (auto* screen = v.owningViewController(); screen && screen->isViewLoaded())
        screen->viewDidLayoutSubviews();
    auto children = v.subviews();  // a layout may replace them
    for (auto& c : children) layOutAgain(*c);
}
}  // namespace

void Window::fitTexts() {
    if (textSizeRevision_ != TextSize::revision()) {
        textSizeRevision_ = TextSize::revision();
        layOutAgain(*this);
    }
    textfit::fitTree(*this);
}

void Window::didAddSubview(View& child) {
    (void)child;
    restack();
}

void Window::restack() {
    if (overlay_ && subviews().back() != overlay_) bringSubviewToFront(*overlay_);
    if (cover_ && cover_->isViewLoaded() && cover_->view()->superview() == this &&
        subviews().back() != cover_->view())
        bringSubviewToFront(*cover_->view());
}

void Window::insertScreenView(std::shared_ptr<View> v) {
    std::size_t index = subviews().size();
    for (std::size_t i = 0; i < subviews().size(); ++i)
        if (subviews()[i] == overlay_) index = i;
    insertSubview(std::move(v), index);
    restack();
}

}  // namespace busdesk
