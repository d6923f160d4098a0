#include "platform/views/NavigationController.h"

#include <algorithm>

#include "platform/Translation.h"
#include "platform/views/DumpWriter.h"
#include "platform/views/Palette.h"

namespace busdesk {

NavigationBar::NavigationBar(Rect frame) : View(frame) {
    setBackgroundColor(Color::of(ColorRole::Background));
    // A plain bar's buttons read on its background; a bar with its picture takes OnBar (styleBar).
    tint_ = Color::of(ColorRole::Accent);
}

void NavigationBar::setBackgroundImageName(std::optional<std::string> n) {
    backgroundImage_ = std::move(n);
    notifyChanged(ViewChange::Appearance);
}

void NavigationBar::setTintColor(Color c) {
    tint_ = c;
    for (auto& b : itemButtons_) b->setTitleColor(c);
    notifyChanged(ViewChange::Appearance);
}

void NavigationBar::setTitleColor(Color c) {
    titleColor_ = c;
    notifyChanged(ViewChange::Text);
}

std::shared_ptr<Button> NavigationBar::buttonFor(const std::shared_ptr<BarButtonItem>& item) {
    if (!item) return nullptr;
    if (auto b = std::dynamic_pointer_cast<Button>(item->customView)) return b;
    auto b = std::make_shared<Button>(Rect{0, 0, item->size.width, item->size.height}, item->title);
    if (!item->imageName.empty()) b->setImageName(item->imageName);
    // Drawn in the bar's tint, like the bar's own icons: readable on the bar's colour.
    b->setTitleColor(tint_);
    itemButtons_.push_back(b);
    b->setIdentifier(item->identifier);
    if (!item->accessibilityLabel.empty()) b->setAccessibilityLabel(item->accessibilityLabel);
    if (!item->accessibilityHint.empty()) b->setAccessibilityHint(item->accessibilityHint);
    b->setKeyboardShortcut(item->keyboardShortcut);
    if (item->action) b->addAction(item->action);
    return b;
}

void NavigationBar::showItem(NavigationItem* item, const std::string& fallbackTitle) {
    removeAllSubviews();
    left_.reset();
    right_.reset();
    leftView_.reset();
    rightView_.reset();
    titleView_.reset();
    itemButtons_.clear();
    titleText_.clear();
    const double top = frame().height - kHeight, w = frame().width;
    if (item) {
        auto place = [&](const std::shared_ptr<BarButtonItem>& bi, bool leftSide) -> std::shared_ptr<View> {
            if (!bi) return nullptr;
            std::shared_ptr<View> v = bi->customView;
            auto b = buttonFor(bi);
            if (!v) v = b;
            Rect f = v->frame();
            if (f.width <= 0 || f.height <= 0) f = {0, 0, bi->size.width, bi->size.height};
            // A titled button is as wide as its title at the text size in force, within the bar.
            if (b && !bi->customView && !bi->title.empty()) {
                f.width = std::max(f.width, textWidth(bi->title, b->fontSize()) + 12);
                f.height = std::min(kHeight, std::max(f.height, 1.2 * b->fontSize()));
            }
            f.x = leftSide ? 8 : w - 8 - f.width;
            f.y = top + (kHeight - f.height) / 2;
            v->setFrame(f);
            addSubview(v);
            (leftSide ? left_ : right_) = b;
            return v;
        };
        leftView_ = place(item->leftBarButtonItem(), true);
        rightView_ = place(item->rightBarButtonItem(), false);
        titleText_ = item->title().empty() ? fallbackTitle : item->title();
        if (auto tv = item->titleView()) {
            Rect f = tv->frame();
            f.x = (w - f.width) / 2;
            f.y = top + (kHeight - f.height) / 2;
            tv->setFrame(f);
            addSubview(tv);
            titleView_ = tv;
            // The title the user reads is whatever the custom view shows.
            std::vector<std::string> texts;
            std::function<void(View&)> collect = [&](View& v) {
                if (v.hidden()) return;
                for (auto& s : v.selectableTexts()) texts.push_back(s);
                for (auto& c : v.subviews()) collect(*c);
            };
            collect(*tv);
            if (!texts.empty()) titleText_ = texts.front();
        } else {
            auto label = std::make_shared<Label>(Rect{60, top, w - 120, kHeight}, titleText_);
            label->setTextAlignment(TextAlignment::Center);
            label->setTextColor(titleColor_);
            label->setBoldFont(true);
            addSubview(label);
            titleView_ = label;
        }
    }
    notifyChanged(ViewChange::Content);
}

bool NavigationBar::dump(DumpWriter& out) const {
    auto side = [](const Button* b, const std::shared_ptr<View>& v) -> std::string {
        if (!v) return "";
        if (b && !b->identifier().empty()) return "[#" + b->identifier() + "]";
        if (b && !b->currentTitle().empty()) return "[" + b->currentTitle() + "]";
        if (!v->identifier().empty()) return "[#" + v->identifier() + "]";
        return "[]";
    };
    std::string line = "bar:";
    if (auto l = side(left_.get(), leftView_); !l.empty()) line += " " + l;
    line += " " + DumpWriter::quote(titleText_);
    if (auto r = side(right_.get(), rightView_); !r.empty()) line += " " + r;
    out.line(line);
    return false;
}

NavigationController::NavigationController(std::shared_ptr<ViewController> root) {
    if (root) addChildViewController(std::move(root));
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
    return childViewControllers().empty() ? nullptr : childViewControllers().back();
}

std::shared_ptr<ViewController> NavigationController::rootViewController() const {
    return childViewControllers().empty() ? nullptr : childViewControllers().front();
}

Rect NavigationController::contentFrame() const {
    Rect b = isViewLoaded() ? const_cast<NavigationController*>(this)->view()->bounds() : Rect{};
    double top = barHidden_ ? 0 : kStatusBarHeight + NavigationBar::kHeight;
    return {0, top, b.width, std::max(0.0, b.height - top)};
}

NavigationBar& NavigationController::navigationBar() {
    view();
    return *bar_;
}

void NavigationController::loadView() {
    ViewController::loadView();
    auto v = view();
    Rect b = v->bounds();
    bar_ = std::make_shared<NavigationBar>(Rect{0, 0, b.width, kStatusBarHeight + NavigationBar::kHeight});
    bar_->setIdentifier("navigationBar");
    bar_->setHidden(barHidden_);
    v->addSubview(bar_);
    // The bar stays the first child, so the dump reads title bar first; the content never overlaps it.
    if (auto top = topViewController()) attachChildView(*top, *v, contentFrame());
    refreshNavigationBar();
}

void NavigationController::viewDidLayoutSubviews() {
    if (!bar_) return;
    Rect b = view()->bounds();
    bar_->setFrame({0, 0, b.width, kStatusBarHeight + NavigationBar::kHeight});
    if (auto top = topViewController(); top && top->isViewLoaded()) top->view()->setFrame(contentFrame());
    refreshNavigationBar();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::visibleChildViewControllers() const {
    if (auto top = topViewController()) return {top};
    return {};
}

void NavigationController::refreshNavigationBar() {
    if (!bar_) return;
    auto top = topViewController();
    if (!top) {
        bar_->showItem(nullptr, {});
        return;
    }
    NavigationItem& item = top->navigationItem();
    // A pushed screen with no left button of its own gets a plain back button.
    if (!item.leftBarButtonItem() && !item.hidesBackButton() && childViewControllers().size() > 1) {
        NavigationItem withBack = item;
        withBack.setChangeHandler({});
        auto back = std::make_shared<BarButtonItem>();
        back->title = tr("返回");
        back->identifier = "navBack";
        back->size = {50, 30};
        back->action = whileAlive<NavigationController>(
            [](NavigationController& self, View&) { self.popViewController(true); });
        withBack.setLeftBarButtonItem(back);
        bar_->showItem(&withBack, top->title());
        return;
    }
    bar_->showItem(&item, top->title());
}

void NavigationController::showTop(const std::shared_ptr<ViewController>& from, bool animated, Transition t) {
    lastTransition_ = t;
    lastAnimated_ = animated;
    if (!isViewLoaded()) return;
    auto to = topViewController();
    if (from == to) return;
    if (to) to->view();  // loaded before it is told it will appear
    bool shown = isAppeared() || appearState_ == Appear::Will;
    if (shown && from) from->beginAppearanceTransition(false, animated);
    if (shown && to) to->beginAppearanceTransition(true, animated);
    if (from && from->isViewLoaded() && from->view()->superview() == view().get())
        from->view()->removeFromSuperview();
    if (to) attachChildView(*to, *view(), contentFrame());
    refreshNavigationBar();
    if (shown && from) from->endAppearanceTransition();
    if (shown && to) to->endAppearanceTransition();
}

void NavigationController::pushViewController(const std::shared_ptr<ViewController>& vc, bool animated) {
    if (!vc || std::find(viewControllers().begin(), viewControllers().end(), vc) != viewControllers().end())
        return;
    auto from = topViewController();
    addChildViewController(vc);
    showTop(from, animated, Transition::Push);
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
    if (viewControllers().size() <= 1) return nullptr;
    auto popped = topViewController();
    popped->removeFromParentViewController();
    showTop(popped, animated, Transition::Pop);
    return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool animated) {
    if (viewControllers().empty()) return {};
    return popToViewController(rootViewController(), animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(
    const std::shared_ptr<ViewController>& vc, bool animated) {
    auto& stack = viewControllers();
    auto it = std::find(stack.begin(), stack.end(), vc);
    if (it == stack.end() || it + 1 == stack.end()) return {};
    std::vector<std::shared_ptr<ViewController>> popped(it + 1, stack.end());
    auto from = popped.back();
    for (auto& p : popped) p->removeFromParentViewController();
    showTop(from, animated, Transition::Pop);
    return popped;
}

void NavigationController::setViewControllers(std::vector<std::shared_ptr<ViewController>> vcs,
                                              bool animated) {
    auto from = topViewController();
    auto keep = childViewControllers();
    while (!childViewControllers().empty()) childViewControllers().back()->removeFromParentViewController();
    for (auto& vc : vcs) addChildViewController(std::move(vc));
    showTop(from, animated, Transition::Replace);
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated) {
    (void)animated;
    if (hidden == barHidden_) return;
    barHidden_ = hidden;
    if (!bar_) return;
    bar_->setHidden(hidden);
    if (auto top = topViewController(); top && top->isViewLoaded()) top->view()->setFrame(contentFrame());
}

}  // namespace busdesk
