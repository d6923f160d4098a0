#pragma once

#include <functional>
#include <vector>

#include "platform/views/View.h"

namespace busdesk {

class ScrollView;

// Hooks for extensions that watch a scroll view (pull-to-refresh, load-more, pagers).
class ScrollViewListener {
  public:
    virtual ~ScrollViewListener() = default;
    virtual void scrollViewDidScroll(ScrollView&) {}
    virtual void scrollViewWillBeginDragging(ScrollView&) {}
    virtual void scrollViewDidEndDragging(ScrollView&) {}
};

// A viewport over content of contentSize; contentOffset is the content point at the top-left.
// Offsets outside 0…(content − viewport) exist only while dragging (the rubber band) — that is
// how a pull past the top is seen.
class ScrollView : public View {
  public:
    ScrollView() = default;
    explicit ScrollView(Rect frame);

    Rect bounds() const override;
    Size contentSize() const { return contentSize_; }
    void setContentSize(Size s);
    Point contentOffset() const { return contentOffset_; }
    // Programmatic: clamped to the scrollable range, no drag.
    void setContentOffset(Point p, bool animated = false);
    EdgeInsets contentInset() const { return inset_; }
    void setContentInset(EdgeInsets i);
    bool scrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool e) { scrollEnabled_ = e; }
    bool bounces() const { return bounces_; }
    void setBounces(bool b) { bounces_ = b; }
    bool pagingEnabled() const { return paging_; }
    void setPagingEnabled(bool p) { paging_ = p; }
    bool isDragging() const { return dragging_; }
    bool isAtEnd() const;
    double maxOffsetY() const;
    double maxOffsetX() const;
    void scrollToTop() { setContentOffset({contentOffset_.x, -inset_.top}); }
    void scrollToEnd();

    // Listeners are not owned; an extension removes itself when it goes away.
    void addListener(ScrollViewListener* l);
    void removeListener(ScrollViewListener* l);

    // User input. A drag may go past the edges (by at most the viewport height when bouncing);
    // ending the drag settles the offset back into range.
    void userBeginDragging();
    void userDragTo(Point offset);
    void userEndDragging();
    // A whole gesture: pull down past the top by `distance` points, then let go.
    void userPull(double distance = 80);
    // A whole gesture: flick to the end of the content.
    void userScrollToEnd();

    bool dump(DumpWriter& out) const override;
    // True for a view that places its content itself (a list and its rows): the text fit
    // (TextFit.h) fits what is inside each row but moves nothing.
    virtual bool placesOwnContent() const { return false; }

  protected:
    // Called whenever the offset changed, before listeners hear of it.
    virtual void contentOffsetChanged() {}
    void setOffsetUnclamped(Point p);

  private:
    Point clamp(Point p) const;
    Size contentSize_{};
    Point contentOffset_{};
    EdgeInsets inset_{};
    bool scrollEnabled_ = true;
    bool bounces_ = true;
    bool paging_ = false;
    bool dragging_ = false;
    std::vector<ScrollViewListener*> listeners_;
};

}  // namespace busdesk
