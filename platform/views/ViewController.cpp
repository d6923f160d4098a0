#include "platform/views/ViewController.h"

#include <algorithm>
#include <utility>

#include "platform/views/Palette.h"
#include "platform/views/ScrollView.h"

namespace busdesk {

namespace {
Rect screenBounds() {
    if (auto host = ViewHost::keyHost()) return host->hostView().bounds();
    return {0, 0, ViewHost::kDefaultFrame.width, ViewHost::kDefaultFrame.height};
}

// The nearest stack of screens up the parent chain of `vc` (itself excluded), kept alive.
std::pair<std::shared_ptr<ViewController>, ScreenStack*> stackAbove(const ViewController& vc) {
    for (auto p = vc.parentViewController(); p; p = p->parentViewController())
        if (auto* stack = dynamic_cast<ScreenStack*>(p.get())) return {p, stack};
    return {nullptr, nullptr};
}

// A screen's title bar changed: the stack it sits in directly rebuilds the bar.
void refreshStackOf(const ViewController& vc) {
    auto parent = vc.parentViewController();
    if (auto* stack = dynamic_cast<ScreenStack*>(parent.get())) stack->refreshNavigationBar();
}

// The controller whose view sits directly in the window for `vc`: its outermost parent.
std::shared_ptr<ViewController> hostOf(std::shared_ptr<ViewController> vc) {
    while (vc) {
        auto p = vc->parentViewController();
        if (!p) break;
        vc = p;
    }
    return vc;
}
}  // namespace

ViewController::ViewController() {
    navigationItem_.setChangeHandler([this] { refreshStackOf(*this); });
}

ViewController::~ViewController() {
    for (auto& c : children_) c->parent_ = nullptr;
    if (view_ && view_->owner_ == this) view_->owner_ = nullptr;
}

std::shared_ptr<View> ViewController::view() {
    if (!view_) {
        loadView();
        if (!view_) view_ = std::make_shared<View>(screenBounds());
        view_->owner_ = this;
        viewDidLoad();
    }
    return view_;
}

void ViewController::setView(std::shared_ptr<View> v) {
    if (view_ && view_->owner_ == this) view_->owner_ = nullptr;
    view_ = std::move(v);
    if (view_) view_->owner_ = this;
}

void ViewController::loadView() {
    // A screen scrolls once large text makes its content taller than the screen (TextFit.h);
    // until then it stands still.
    auto v = std::make_shared<ScrollView>(screenBounds());
    v->setScrollEnabled(false);
    v->setBounces(false);
    v->setBackgroundColor(Color::of(ColorRole::Background));
    setView(v);
}

void ViewController::setTitle(std::string t) {
    title_ = std::move(t);
    refreshStackOf(*this);
}

std::shared_ptr<ViewController> ViewController::parentViewController() const {
    return parent_ ? parent_->weak_from_this().lock() : nullptr;
}

// The child comes by value: the caller's pointer may sit in the list of the parent it leaves.
void ViewController::addChildViewController(std::shared_ptr<ViewController> child) {
    if (!child || child.get() == this) return;
    if (child->parent_ == this) return;
    child->removeFromParentViewController();
    child->parent_ = this;
    children_.push_back(std::move(child));
}

void ViewController::removeFromParentViewController() {
    if (!parent_) return;
    auto* p = parent_;
    parent_ = nullptr;
    auto keep = weak_from_this().lock();
    std::erase_if(p->children_, [&](auto& c) { return c.get() == this; });
}

std::shared_ptr<NavigationController> ViewController::navigationController() const {
    auto [holder, stack] = stackAbove(*this);
    if (!stack) return nullptr;
    return std::shared_ptr<NavigationController>(holder, &stack->stackController());
}

Window* ViewController::window() const {
    return view_ ? view_->window() : nullptr;
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
    auto keep = weak_from_this().lock();
    if (appearing) {
        if (appearState_ == Appear::Will || appearState_ == Appear::Did) return;
        appearState_ = Appear::Will;
        pendingAnimated_ = animated;
        viewWillAppear(animated);
    } else {
        if (appearState_ != Appear::Will && appearState_ != Appear::Did) return;
        appearState_ = Appear::WillDis;
        pendingAnimated_ = animated;
        viewWillDisappear(animated);
    }
    for (auto& c : visibleChildViewControllers()) c->beginAppearanceTransition(appearing, animated);
}

void ViewController::endAppearanceTransition() {
    auto keep = weak_from_this().lock();
    if (appearState_ == Appear::Will) {
        appearState_ = Appear::Did;
        viewDidAppear(pendingAnimated_);
    } else if (appearState_ == Appear::WillDis) {
        appearState_ = Appear::DidDis;
        viewDidDisappear(pendingAnimated_);
    } else {
        return;
    }
    for (auto& c : visibleChildViewControllers()) c->endAppearanceTransition();
}

void ViewController::attachChildView(ViewController& child, View& container, Rect frame) {
    auto v = child.view();
    v->setFrame(frame);
    if (v->superview() != &container) container.addSubview(v);
}

void ViewController::presentViewController(const std::shared_ptr<ViewController>& vc, bool animated,
                                           const std::function<void()>& completion) {
    if (!vc || vc.get() == this || vc->presenting_.lock()) {
        if (completion) completion();
        return;
    }
    // Presentations stack: always over the topmost screen, hosted by the outermost controller.
    auto host = hostOf(shared_from_this());
    while (host->presented_) host = host->presented_;
    ViewHost* w = host->isViewLoaded() ? host->view_->host() : nullptr;
    std::shared_ptr<ViewHost> key;
    if (!w && (key = ViewHost::keyHost())) w = key.get();
    host->presented_ = vc;
    vc->presenting_ = host;
    vc->lastAnimated_ = animated;
    auto v = vc->view();
    if (w) {
        v->setFrame(w->hostView().bounds());
        bool hostShown = host->isViewLoaded() && host->view_->host() == w;
        if (hostShown) host->beginAppearanceTransition(false, animated);
        vc->beginAppearanceTransition(true, animated);
        if (hostShown) host->view_->removeFromSuperview();
        w->insertScreenView(v);
        if (hostShown) host->endAppearanceTransition();
        vc->endAppearanceTransition();
    }
    if (completion) completion();
}

void ViewController::dismissViewController(bool animated, std::function<void()> completion) {
    auto keep = shared_from_this();
    if (!presented_) {
        if (auto p = presenting_.lock()) return p->dismissViewController(animated, std::move(completion));
        if (auto parent = parentViewController())
            return parent->dismissViewController(animated, std::move(completion));
        if (completion) completion();
        return;
    }
    // Everything above this controller goes; only the topmost one is on screen.
    std::vector<std::shared_ptr<ViewController>> chain;
    for (auto p = presented_; p; p = p->presented_) chain.push_back(p);
    auto top = chain.back();
    ViewHost* w = top->isViewLoaded() ? top->view_->host() : nullptr;
    top->lastAnimated_ = animated;
    if (w) {
        top->beginAppearanceTransition(false, animated);
        beginAppearanceTransition(true, animated);
        top->view_->removeFromSuperview();
        auto v = view();
        v->setFrame(w->hostView().bounds());
        w->insertScreenView(v);
    }
    for (auto& p : chain) {
        p->presenting_.reset();
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->presented_.reset();
    presented_.reset();
    if (w) {
        top->endAppearanceTransition();
        endAppearanceTransition();
    }
    if (completion) completion();
}

void ViewController::goBack() {
    if (auto [holder, stack] = stackAbove(*this); stack) stack->popScreen(true);
}

void ViewController::goIndex() {
    if (auto [holder, stack] = stackAbove(*this); stack) stack->popToRootScreen(true);
}

}  // namespace busdesk
