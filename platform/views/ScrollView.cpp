#include "platform/views/ScrollView.h"

#include <algorithm>

namespace busdesk {

ScrollView::ScrollView(Rect frame) : View(frame) {}

Rect ScrollView::bounds() const {
    return {contentOffset_.x, contentOffset_.y, frame().width, frame().height};
}

void ScrollView::setContentSize(Size s) {
    if (s == contentSize_) return;
    contentSize_ = s;
    notifyChanged(ViewChange::Scroll);
    if (!dragging_) {
        Point c = clamp(contentOffset_);
        if (!(c == contentOffset_)) setOffsetUnclamped(c);
    }
}

double ScrollView::maxOffsetY() const {
    return std::max(-inset_.top, contentSize_.height + inset_.bottom - frame().height);
}

double ScrollView::maxOffsetX() const {
    return std::max(-inset_.left, contentSize_.width + inset_.right - frame().width);
}

Point ScrollView::clamp(Point p) const {
    return {std::clamp(p.x, -inset_.left, maxOffsetX()), std::clamp(p.y, -inset_.top, maxOffsetY())};
}

void ScrollView::setContentOffset(Point p, bool animated) {
    (void)animated;  // the presenter animates; the model is there at once
    setOffsetUnclamped(clamp(p));
}

void ScrollView::setContentInset(EdgeInsets i) {
    if (i == inset_) return;
    inset_ = i;
    notifyChanged(ViewChange::Scroll);
    if (!dragging_) setOffsetUnclamped(clamp(contentOffset_));
}

bool ScrollView::isAtEnd() const {
    return contentOffset_.y >= maxOffsetY() - 0.5;
}

void ScrollView::scrollToEnd() {
    setContentOffset({contentOffset_.x, maxOffsetY()});
}

void ScrollView::addListener(ScrollViewListener* l) {
    if (l && std::find(listeners_.begin(), listeners_.end(), l) == listeners_.end()) listeners_.push_back(l);
}

void ScrollView::removeListener(ScrollViewListener* l) {
    std::erase(listeners_, l);
}

void ScrollView::setOffsetUnclamped(Point p) {
    if (p == contentOffset_) return;
    contentOffset_ = p;
    notifyChanged(ViewChange::Scroll);
    contentOffsetChanged();
    auto copy = listeners_;
    for (auto* l : copy)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end())
            l->scrollViewDidScroll(*this);
}

void ScrollView::userBeginDragging() {
    if (!scrollEnabled_ || dragging_) return;
    dragging_ = true;
    auto copy = listeners_;
    for (auto* l : copy)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end())
            l->scrollViewWillBeginDragging(*this);
}

void ScrollView::userDragTo(Point offset) {
    if (!scrollEnabled_) return;
    if (!dragging_) userBeginDragging();
    if (bounces_) {
        double h = frame().height, w = frame().width;
        offset.y = std::clamp(offset.y, -inset_.top - h, maxOffsetY() + h);
        offset.x = std::clamp(offset.x, -inset_.left - w, maxOffsetX() + w);
    } else {
        offset = clamp(offset);
    }
    setOffsetUnclamped(offset);
}

void ScrollView::userEndDragging() {
    if (!dragging_) return;
    auto keep = weak_from_this().lock();
    dragging_ = false;
    auto copy = listeners_;
    for (auto* l : copy)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end())
            l->scrollViewDidEndDragging(*this);
    // Back into range (a listener may have changed the insets to keep a header showing).
    setOffsetUnclamped(clamp(contentOffset_));
}

void ScrollView::userPull(double distance) {
    userBeginDragging();
    userDragTo({contentOffset_.x, -inset_.top - distance});
    userEndDragging();
}

void ScrollView::userScrollToEnd() {
    userBeginDragging();
    // A finger pushes a little past the end, so reaching it is seen even from the end itself.
    userDragTo({contentOffset_.x, maxOffsetY() + (bounces_ ? 1 : 0)});
    userEndDragging();
}

bool ScrollView::dump(DumpWriter& out) const {
    (void)out;
    return true;
}

}  // namespace busdesk
