#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/views/ImageView.h"
#include "platform/views/Palette.h"
#include "platform/views/ViewController.h"

namespace busdesk {

class SideMenu;

class SideMenuDelegate {
  public:
    virtual ~SideMenuDelegate() = default;
    virtual void sideMenuWillShowMenuViewController(SideMenu&, ViewController&) {}
    virtual void sideMenuDidShowMenuViewController(SideMenu&, ViewController&) {}
    virtual void sideMenuWillHideMenuViewController(SideMenu&, ViewController&) {}
    virtual void sideMenuDidHideMenuViewController(SideMenu&, ViewController&) {}
};

enum class StatusBarStyle { Default, LightContent };

// One content screen with a left and a right menu that slide in over a background picture.
// While a menu shows, the content stays visible but a cover over it takes its touches (a tap on
// it hides the menu). The menu state changes at once; menuFraction() is the 0…1 slide the
// content and the menus are drawn following (the content slides aside, a menu slides in a little;
// the cover goes with the content and is drawn over the menus).
class SideMenu : public ViewController {
  public:
    enum class MenuState { Hidden, Left, Right };
    static constexpr double kAnimationSeconds = 0.35;
    // How far the content slides aside for a menu, and how far a menu comes in from, as shares of
    // the width.
    static constexpr double kMenuSlide = 0.62;
    static constexpr double kMenuParallax = 0.25;

    SideMenu(std::shared_ptr<ViewController> content, std::shared_ptr<ViewController> leftMenu,
             std::shared_ptr<ViewController> rightMenu);

    std::shared_ptr<ViewController> contentViewController() const { return content_; }
    std::shared_ptr<ViewController> leftMenuViewController() const { return left_; }
    std::shared_ptr<ViewController> rightMenuViewController() const { return right_; }

    // The old content and everything inside it are let go.
    void setContentViewController(const std::shared_ptr<ViewController>& vc, bool animated);
    void presentLeftMenuViewController();
    void presentRightMenuViewController();
    void hideMenuViewController();

    MenuState menuState() const { return state_; }
    const AnimatedValue& menuFraction() const { return fraction_; }

    // Presentation settings (read when a menu shows).
    std::string backgroundImageName;
    StatusBarStyle menuPreferredStatusBarStyle = StatusBarStyle::Default;
    bool contentViewShadowEnabled = false;
    Color contentViewShadowColor = Color::of(ColorRole::Shadow);
    Point contentViewShadowOffset{0, 0};
    double contentViewShadowOpacity = 0;
    double contentViewShadowRadius = 0;

    void setDelegate(std::weak_ptr<SideMenuDelegate> d) { delegate_ = std::move(d); }

    void loadView() override;
    void viewDidLayoutSubviews() override;
    std::vector<std::shared_ptr<ViewController>> visibleChildViewControllers() const override;

  private:
    void showMenu(MenuState which);
    void followSlide();
    void updateContentShadow();
    std::shared_ptr<ViewController> menuFor(MenuState s) const;
    std::shared_ptr<ViewController> content_, left_, right_;
    std::shared_ptr<ImageView> background_;
    std::shared_ptr<View> contentContainer_, cover_, leftContainer_, rightContainer_;
    MenuState state_ = MenuState::Hidden;
    // The side the content slides to: 1 right (left menu), -1 left; kept while it slides back.
    int direction_ = 1;
    AnimatedValue fraction_ = AnimatedValue::fixed(0);
    std::weak_ptr<SideMenuDelegate> delegate_;
};

// The side menu above `vc`, walking up the parent chain (vc itself included); null when none.
std::shared_ptr<SideMenu> sideMenuViewController(const ViewController& vc);

}  // namespace busdesk
