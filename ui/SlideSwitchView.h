#pragma once

#include <memory>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/ViewController.h"

namespace busdesk {

class SlideSwitchView;

class SlideSwitchViewDelegate {
  public:
    virtual ~SlideSwitchViewDelegate() = default;
    virtual int numberOfTab(SlideSwitchView&) = 0;
    virtual std::shared_ptr<ViewController> viewOfTab(SlideSwitchView&, int index) = 0;
    // The tab at `index` has become the visible one (also for the first tab after buildUI).
    virtual void didselectTab(SlideSwitchView&, int index) { (void)index; }
};

// Titled pages of which one is visible; the tab buttons (identifier "tab") carry the pages'
// titles. The pages' controllers are kept here; their views are loaded when first shown.
class SlideSwitchView : public View {
  public:
    static constexpr double kTabHeight = 44;

    explicit SlideSwitchView(Rect frame);

    void setDelegate(std::weak_ptr<SlideSwitchViewDelegate> d) { delegate_ = std::move(d); }
    // Asks the delegate for the pages, shows the first and tells the delegate.
    void buildUI();
    int numberOfTabs() const { return static_cast<int>(pages_.size()); }
    int selectedIndex() const { return selected_; }
    std::shared_ptr<ViewController> page(int index) const;
    // As the user tapping a tab; selecting the visible tab again tells nobody.
    void selectTab(int index);

    void layoutSubviews() override;

  private:
    std::weak_ptr<SlideSwitchViewDelegate> delegate_;
    std::vector<std::shared_ptr<ViewController>> pages_;
    std::vector<std::shared_ptr<Button>> tabs_;
    std::shared_ptr<View> content_;
    int selected_ = -1;
};

}  // namespace busdesk
