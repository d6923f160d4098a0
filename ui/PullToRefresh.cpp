#include "ui/PullToRefresh.h"

#include "platform/Translation.h"
#include "platform/views/ScreenDump.h"

namespace busdesk {

PullToRefreshView::PullToRefreshView(ScrollView& owner, std::function<void()> handler)
    : View(Rect{0, -kHeight, owner.frame().width, kHeight}), owner_(&owner), handler_(std::move(handler)) {
    setIdentifier("pullToRefresh");
    titles_[RefreshState::Stopped] = tr("下拉刷新");
    titles_[RefreshState::Triggered] = tr("释放刷新");
    titles_[RefreshState::Loading] = tr("加载中...");
    label_ =
        std::make_shared<Label>(Rect{0, 0, owner.frame().width, kHeight}, titles_[RefreshState::Stopped]);
    label_->setTextAlignment(TextAlignment::Center);
    label_->setFontSize(13);
    addSubview(label_);
    owner.addListener(this);
}

PullToRefreshView::~PullToRefreshView() {
    // While the list itself is being destroyed it has already let go of this view.
    if (owner_ && superview() == owner_) owner_->removeListener(this);
}

void PullToRefreshView::setTitle(std::string title, RefreshState state) {
    titles_[state] = std::move(title);
    label_->setText(titleForState(state_));
}

std::string PullToRefreshView::titleForState(RefreshState state) const {
    auto it = titles_.find(state);
    return it == titles_.end() ? std::string() : it->second;
}

void PullToRefreshView::setState(RefreshState s) {
    if (s == state_) return;
    state_ = s;
    label_->setText(titleForState(s));
    notifyChanged(ViewChange::State);
}

void PullToRefreshView::scrollViewDidScroll(ScrollView& sv) {
    if (state_ == RefreshState::Loading || !sv.isDragging()) return;
    double pulled = -(sv.contentOffset().y + sv.contentInset().top);
    setState(pulled >= kHeight ? RefreshState::Triggered : RefreshState::Stopped);
}

void PullToRefreshView::scrollViewDidEndDragging(ScrollView&) {
    if (state_ == RefreshState::Triggered) triggerRefresh();
}

void PullToRefreshView::startAnimating() {
    if (state_ == RefreshState::Loading) return;
    setState(RefreshState::Loading);
    EdgeInsets in = owner_->contentInset();
    in.top += kHeight;
    owner_->setContentInset(in);
}

void PullToRefreshView::triggerRefresh() {
    if (state_ == RefreshState::Loading) return;
    startAnimating();
    ++triggered_;
    auto keep = weak_from_this().lock();
    if (handler_) handler_();
}

void PullToRefreshView::stopAnimating() {
    if (state_ != RefreshState::Loading) return;
    setState(RefreshState::Stopped);
    EdgeInsets in = owner_->contentInset();
    in.top = std::max(0.0, in.top - kHeight);
    owner_->setContentInset(in);
}

bool PullToRefreshView::dump(DumpWriter& out) const {
    if (state_ == RefreshState::Loading) out.line("refresh: loading");
    return false;
}

InfiniteScrollingView::InfiniteScrollingView(ScrollView& owner, std::function<void()> handler)
    : View(Rect{0, owner.contentSize().height, owner.frame().width, kHeight}),
      owner_(&owner),
      handler_(std::move(handler)) {
    setIdentifier("infiniteScrolling");
    setHidden(true);
    owner.addListener(this);
}

InfiniteScrollingView::~InfiniteScrollingView() {
    if (owner_ && superview() == owner_) owner_->removeListener(this);
}

void InfiniteScrollingView::place() {
    setFrame({0, owner_->contentSize().height, owner_->frame().width, kHeight});
}

void InfiniteScrollingView::scrollViewDidScroll(ScrollView& sv) {
    // Only a finger reaching the end counts: a reload that lands at the end must not load again.
    if (!enabled_ || state_ != RefreshState::Stopped || !sv.isDragging()) return;
    if (sv.isAtEnd()) triggerLoad();
}

void InfiniteScrollingView::startAnimating() {
    if (state_ == RefreshState::Loading) return;
    state_ = RefreshState::Loading;
    place();
    setHidden(false);
    EdgeInsets in = owner_->contentInset();
    in.bottom += kHeight;
    owner_->setContentInset(in);
    notifyChanged(ViewChange::State);
}

void InfiniteScrollingView::triggerLoad() {
    if (state_ == RefreshState::Loading) return;
    startAnimating();
    ++triggered_;
    auto keep = weak_from_this().lock();
    if (handler_) handler_();
}

void InfiniteScrollingView::stopAnimating() {
    if (state_ != RefreshState::Loading) return;
    state_ = RefreshState::Stopped;
    setHidden(true);
    EdgeInsets in = owner_->contentInset();
    in.bottom = std::max(0.0, in.bottom - kHeight);
    owner_->setContentInset(in);
    notifyChanged(ViewChange::State);
}

bool InfiniteScrollingView::dump(DumpWriter& out) const {
    if (state_ == RefreshState::Loading) out.line("more: loading");
    return false;
}

PullToRefreshView* pullToRefreshView(ScrollView& list) {
    for (auto& c : list.subviews())
        if (auto* p = dynamic_cast<PullToRefreshView*>(c.get())) return p;
    return nullptr;
}

InfiniteScrollingView* infiniteScrollingView(ScrollView& list) {
    for (auto& c : list.subviews())
        if (auto* p = dynamic_cast<InfiniteScrollingView*>(c.get())) return p;
    return nullptr;
}

PullToRefreshView& addPullToRefreshWithActionHandler(ScrollView& list, std::function<void()> handler) {
    if (auto* existing = pullToRefreshView(list)) {
        existing->removeFromSuperview();
        list.removeListener(existing);
    }
    auto header = std::make_shared<PullToRefreshView>(list, std::move(handler));
    list.addSubview(header);
    return *header;
}

InfiniteScrollingView& addInfiniteScrollingWithActionHandler(ScrollView& list,
                                                             std::function<void()> handler) {
    if (auto* existing = infiniteScrollingView(list)) {
        existing->removeFromSuperview();
        list.removeListener(existing);
    }
    auto footer = std::make_shared<InfiniteScrollingView>(list, std::move(handler));
    list.addSubview(footer);
    return *footer;
}

}  // namespace busdesk
