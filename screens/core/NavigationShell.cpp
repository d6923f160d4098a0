#include "screens/core/NavigationShell.h"

#include "platform/views/NavigationController.h"
#include "platform/views/Window.h"
#include "screens/core/HomeAdvertiseViewController.h"
#include "screens/core/LeftMenuViewController.h"
#include "screens/core/RightMenu1ViewController.h"

namespace busdesk {

namespace {
NavigationShell::Installed& installedHandler() {
    static NavigationShell::Installed handler;
    return handler;
}
OpenScreen opener(const std::shared_ptr<ViewController>& menu) {
    return [weak = std::weak_ptr<ViewController>(menu)](std::shared_ptr<ViewController> screen) {
        if (auto from = weak.lock()) NavigationShell::showContent(*from, std::move(screen));
    };
}
std::weak_ptr<SideMenuDelegate>& shellDelegate() {
    static std::weak_ptr<SideMenuDelegate> delegate;
    return delegate;
}
}  // namespace

void NavigationShell::setInstalledHandler(Installed handler) {
    installedHandler() = std::move(handler);
}

void NavigationShell::setSideMenuDelegate(std::weak_ptr<SideMenuDelegate> delegate) {
    shellDelegate() = std::move(delegate);
}

std::shared_ptr<SideMenu> NavigationShell::build() {
    auto content = std::make_shared<NavigationController>(std::make_shared<HomeAdvertiseViewController>());
    auto left = std::make_shared<LeftMenuViewController>();
    auto right = std::make_shared<RightMenu1ViewController>();
    // The menus only make screens; the shell shows them.
    left->openScreen = opener(left);
    right->openScreen = opener(right);
    auto menu = std::make_shared<SideMenu>(content, left, right);
    menu->backgroundImageName = "MenuBackground";
    menu->menuPreferredStatusBarStyle = StatusBarStyle::LightContent;
    menu->setDelegate(shellDelegate());
    menu->contentViewShadowEnabled = true;
    menu->contentViewShadowColor = Color::black();
    menu->contentViewShadowOffset = Point{0, 0};
    menu->contentViewShadowOpacity = 0.6;
    menu->contentViewShadowRadius = 12;
    return menu;
}

std::shared_ptr<SideMenu> NavigationShell::install(Window& window) {
    auto menu = build();
    window.setRootViewController(menu);
    if (installedHandler()) installedHandler()(menu);
    return menu;
}

void NavigationShell::showContent(ViewController& from, std::shared_ptr<ViewController> screen) {
    auto menu = sideMenuViewController(from);
    if (!menu || !screen) return;
    menu->setContentViewController(std::make_shared<NavigationController>(std::move(screen)), true);
    menu->hideMenuViewController();
}

}  // namespace busdesk
