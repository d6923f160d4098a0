#pragma once

#include <functional>
#include <map>
#include <string>

#include "platform/views/Label.h"
#include "platform/views/ScrollView.h"

namespace busdesk {

enum class RefreshState { Stopped, Triggered, Loading };

// The header above a list that runs its handler when the list is pulled down past it and let go.
// While loading, further pulls do nothing; stopAnimating ends the loading state.
class PullToRefreshView : public View, public ScrollViewListener {
  public:
    static constexpr double kHeight = 60;

    PullToRefreshView(ScrollView& owner, std::function<void()> handler);
    ~PullToRefreshView() override;

    RefreshState state() const { return state_; }
    void setTitle(std::string title, RefreshState state);
    std::string titleForState(RefreshState state) const;
    // Enters the loading state and runs the handler, as a pull would.
    void triggerRefresh();
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return state_ == RefreshState::Loading; }
    int timesTriggered() const { return triggered_; }

    void scrollViewDidScroll(ScrollView&) override;
    void scrollViewDidEndDragging(ScrollView&) override;
    bool dump(DumpWriter& out) const override;

  private:
    void setState(RefreshState s);
    ScrollView* owner_;
    std::function<void()> handler_;
    RefreshState state_ = RefreshState::Stopped;
    std::map<RefreshState, std::string> titles_;
    std::shared_ptr<Label> label_;
    int triggered_ = 0;
};

// The footer below a list that runs its handler when the user scrolls to the end of the list.
class InfiniteScrollingView : public View, public ScrollViewListener {
  public:
    static constexpr double kHeight = 60;

    InfiniteScrollingView(ScrollView& owner, std::function<void()> handler);
    ~InfiniteScrollingView() override;

    RefreshState state() const { return state_; }
    void triggerLoad();
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return state_ == RefreshState::Loading; }
    int timesTriggered() const { return triggered_; }
    // A list may turn load-more off (e.g. when it knows there is nothing more).
    void setEnabled(bool e) { enabled_ = e; }
    bool enabled() const { return enabled_; }

    void scrollViewDidScroll(ScrollView&) override;
    bool dump(DumpWriter& out) const override;

  private:
    void place();
    ScrollView* owner_;
    std::function<void()> handler_;
    RefreshState state_ = RefreshState::Stopped;
    bool enabled_ = true;
    int triggered_ = 0;
};

// The list extensions. Adding again replaces the handler of the existing header/footer.
PullToRefreshView& addPullToRefreshWithActionHandler(ScrollView& list, std::function<void()> handler);
PullToRefreshView* pullToRefreshView(ScrollView& list);
InfiniteScrollingView& addInfiniteScrollingWithActionHandler(ScrollView& list, std::function<void()> handler);
InfiniteScrollingView* infiniteScrollingView(ScrollView& list);

}  // namespace busdesk
