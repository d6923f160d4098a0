#pragma once

#include <memory>
#include <vector>

#include "platform/views/Label.h"
#include "platform/views/Palette.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// The title bar of a navigation controller: shows the top screen's navigation item as real views
// (a title Label or the item's titleView, and a Button per bar item, carrying the item's
// identifier), so scripts and the presenter find them like any other view.
class NavigationBar : public View {
  public:
    static constexpr double kHeight = 44;

    explicit NavigationBar(Rect frame);
    // Rebuilds the bar's children from `item` (null clears the bar).
    void showItem(NavigationItem* item, const std::string& fallbackTitle);
    const std::string& titleText() const { return titleText_; }
    Button* leftButton() const { return left_.get(); }
    Button* rightButton() const { return right_.get(); }
    std::optional<std::string> backgroundImageName() const { return backgroundImage_; }
    void setBackgroundImageName(std::optional<std::string> n);
    Color tintColor() const { return tint_; }
    void setTintColor(Color c);
    Color titleColor() const { return titleColor_; }
    void setTitleColor(Color c);

    bool dump(DumpWriter& out) const override;

  private:
    std::shared_ptr<Button> buttonFor(const std::shared_ptr<BarButtonItem>& item);
    std::string titleText_;
    std::shared_ptr<Button> left_, right_;
    // The buttons the bar made from items (not custom views): their titles take the bar's tint.
    std::vector<std::shared_ptr<Button>> itemButtons_;
    std::shared_ptr<View> leftView_, rightView_, titleView_;
    std::optional<std::string> backgroundImage_;
    Color tint_ = Color::of(ColorRole::OnBar);
    Color titleColor_ = Color::of(ColorRole::Text);
};

// A stack of screens under one title bar. Only the top screen's view is in the tree.
class NavigationController : public ViewController, public ScreenStack {
  public:
    static constexpr double kStatusBarHeight = 20;

    explicit NavigationController(std::shared_ptr<ViewController> root);

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const {
        return childViewControllers();
    }
    std::shared_ptr<ViewController> topViewController() const;
    std::shared_ptr<ViewController> rootViewController() const;

    void pushViewController(const std::shared_ptr<ViewController>& vc, bool animated);
    // Pops the top screen; the root is never popped (returns null then).
    std::shared_ptr<ViewController> popViewController(bool animated);
    // Returns the screens popped, top last.
    std::vector<std::shared_ptr<ViewController>> popToRootViewController(bool animated);
    std::vector<std::shared_ptr<ViewController>> popToViewController(
        const std::shared_ptr<ViewController>& vc, bool animated);
    // Replaces the whole stack (the last becomes the top).
    // Taken by value: the caller may hand in this controller's own list, which is emptied first.
    void setViewControllers(std::vector<std::shared_ptr<ViewController>> vcs, bool animated);

    bool navigationBarHidden() const { return barHidden_; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    NavigationBar& navigationBar();

    enum class Transition { None, Push, Pop, Replace };
    // What the last stack change was, for a presenter that animates it.
    Transition lastTransition() const { return lastTransition_; }

    void loadView() override;
    void viewDidLayoutSubviews() override;
    std::vector<std::shared_ptr<ViewController>> visibleChildViewControllers() const override;

    // Rebuilds the title bar from the top screen (called when its navigation item or title change).
    void refreshNavigationBar() override;

  private:
    // ScreenStack
    NavigationController& stackController() override { return *this; }
    void popScreen(bool animated) override { popViewController(animated); }
    void popToRootScreen(bool animated) override { popToRootViewController(animated); }

    void showTop(const std::shared_ptr<ViewController>& from, bool animated, Transition t);
    Rect contentFrame() const;
    std::shared_ptr<NavigationBar> bar_;
    std::shared_ptr<View> container_;
    bool barHidden_ = false;
    Transition lastTransition_ = Transition::None;
};

}  // namespace busdesk
