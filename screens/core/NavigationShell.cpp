#include "screens/core/NavigationShell.h"

#include <algorithm>
#include <vector>

#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "platform/views/Window.h"
#include "screens/core/HomeAdvertiseViewController.h"
#include "screens/core/LeftMenuViewController.h"
#include "screens/core/RightMenu1ViewController.h"
#include "screens/core/SignOut.h"
#include "services/OfflineSignIn.h"

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

// "离线" in the title bar of every content screen while the session runs without the office.
std::vector<std::weak_ptr<Label>>& offlineBadges() {
    static std::vector<std::weak_ptr<Label>> badges;
    return badges;
}

void addOfflineBadge(NavigationController& nav, double width) {
    if (!offline_sign_in::isOffline()) return;
    auto badge = std::make_shared<Label>(Rect{std::max(0.0, width - 100), 12, 44, 20}, tr("离线"));
    badge->setIdentifier("offlineBadge");
    badge->setFontSize(13);
    badge->setTextAlignment(TextAlignment::Center);
    // Dark amber on a pale one, as the stored-answer line.
    badge->setTextColor(Color::of(ColorRole::OnNotice));
    badge->setBackgroundColor(Color::of(ColorRole::Notice));
    badge->setCornerRadius(4);
    nav.view()->addSubview(badge);
    auto& badges = offlineBadges();
    std::erase_if(badges, [](const std::weak_ptr<Label>& b) { return b.expired(); });
    badges.push_back(badge);
}

void hideOfflineBadges() {
    for (auto& weak : offlineBadges())
        if (auto badge = weak.lock()) badge->setHidden(true);
    offlineBadges().clear();
}

// An offline session meets the office again: the badge goes, or the office no longer takes the
// password and the session ends, saying why.
void watchForTheOffice(Window& window) {
    if (!offline_sign_in::isOffline()) return;
    offline_sign_in::setBackOnlineHandler(
        [weak = std::weak_ptr<View>(window.shared_from_this())](bool accepted, const std::string& reason) {
            if (accepted) return hideOfflineBadges();
            auto window = std::dynamic_pointer_cast<Window>(weak.lock());
            if (!window) return;
            SignOut::signOut(*window, reason.empty() ? std::string(tr("密码已失效，请重新登录"))
                                                     : trFormat("密码已失效，请重新登录（%1）", {reason}));
        });
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
    menu->contentViewShadowColor = Color::of(ColorRole::Shadow);
    menu->contentViewShadowOffset = Point{0, 0};
    menu->contentViewShadowOpacity = 0.6;
    menu->contentViewShadowRadius = 12;
    return menu;
}

std::shared_ptr<SideMenu> NavigationShell::install(Window& window) {
    auto menu = build();
    if (auto nav = std::dynamic_pointer_cast<NavigationController>(menu->contentViewController()))
        addOfflineBadge(*nav, window.bounds().width);
    window.setRootViewController(menu);
    watchForTheOffice(window);
    if (installedHandler()) installedHandler()(menu);
    return menu;
}

void NavigationShell::showContent(ViewController& from, std::shared_ptr<ViewController> screen) {
    auto menu = sideMenuViewController(from);
    if (!menu || !screen) return;
    auto nav = std::make_shared<NavigationController>(std::move(screen));
    addOfflineBadge(*nav, menu->view()->bounds().width);
    menu->setContentViewController(nav, true);
    menu->hideMenuViewController();
}

}  // namespace busdesk
