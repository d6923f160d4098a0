#include "ui/SlideSwitchView.h"

#include "platform/views/Palette.h"

namespace busdesk {

namespace {}  // namespace

SlideSwitchView::SlideSwitchView(Rect frame) : View(frame) {
    content_ =
        std::make_shared<View>(Rect{0, kTabHeight, frame.width, std::max(0.0, frame.height - kTabHeight)});
    addSubview(content_);
}

std::shared_ptr<ViewController> SlideSwitchView::page(int index) const {
    if (index < 0 || index >= numberOfTabs()) return nullptr;
    return pages_[static_cast<std::size_t>(index)];
}

void SlideSwitchView::buildUI() {
    for (auto& t : tabs_) t->removeFromSuperview();
    tabs_.clear();
    content_->removeAllSubviews();
    pages_.clear();
    selected_ = -1;
    auto d = delegate_.lock();
    if (!d) return;
    int n = std::max(0, d->numberOfTab(*this));
    for (int i = 0; i < n; ++i) {
        auto vc = d->viewOfTab(*this, i);
        pages_.push_back(vc);
        auto tab = std::make_shared<Button>(Rect{}, vc ? vc->title() : std::string());
        tab->setIdentifier("tab");
        tab->setAccessibilityRole(AccessibilityRole::Tab);
        tab->setTag(i);
        tab->setTitleColor(Color::of(ColorRole::SecondaryText));
        tab->setTitleColor(Color::of(ColorRole::Accent), ControlState::Selected);
        tab->addAction([i](View& sender) {
            if (auto* strip = dynamic_cast<SlideSwitchView*>(sender.superview())) strip->selectTab(i);
        });
        tabs_.push_back(tab);
        addSubview(tab);
    }
    layoutSubviews();
    if (n > 0) selectTab(0);
}

void SlideSwitchView::selectTab(int index) {
    if (index < 0 || index >= numberOfTabs() || index == selected_) return;
    auto keep = weak_from_this().lock();
    if (auto old = page(selected_); old && old->isViewLoaded()) old->view()->removeFromSuperview();
    selected_ = index;
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
        const bool selected = static_cast<int>(i) == index;
        tabs_[i]->setSelected(selected);
        // The chosen tab stands out by its colour and a light ground.
        tabs_[i]->setBackgroundColor(selected ? Color::of(ColorRole::AccentSoft) : Color::clear());
    }
    if (auto vc = page(index)) {
        auto v = vc->view();
        v->setFrame(content_->bounds());
        content_->addSubview(v);
    }
    notifyChanged(ViewChange::Content);
    if (auto d = delegate_.lock()) d->didselectTab(*this, index);
}

void SlideSwitchView::layoutSubviews() {
    Rect b = bounds();
    double w = tabs_.empty() ? b.width : b.width / static_cast<double>(tabs_.size());
    for (std::size_t i = 0; i < tabs_.size(); ++i)
        tabs_[i]->setFrame({w * static_cast<double>(i), 0, w, kTabHeight});
    content_->setFrame({0, kTabHeight, b.width, std::max(0.0, b.height - kTabHeight)});
    if (auto vc = page(selected_); vc && vc->isViewLoaded()) vc->view()->setFrame(content_->bounds());
}

}  // namespace busdesk
