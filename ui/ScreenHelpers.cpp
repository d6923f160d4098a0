#include "ui/ScreenHelpers.h"

#include <algorithm>

#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "platform/views/TextSize.h"
#include "ui/InfoAlert.h"
#include "ui/ProgressHUD.h"
#include "ui/SideMenu.h"

namespace busdesk::screen {

void showActivityOrNo(bool show, View& view) {
    if (show)
        ProgressHUD::showHUDAddedTo(view, tr(kBusyText), true);
    else
        ProgressHUD::hideHUDForView(view, true);
}

void setAlertInfo(const std::string& message, View& view) {
    InfoAlert::showInfo(message, Color::of(ColorRole::Toast), view, kToastVertical);
}

namespace {
// An icon-only title-bar button; `says` is what it does, in words, for a screen reader.
std::shared_ptr<BarButtonItem> barButton(const std::string& identifier, const std::string& image,
                                         const std::string& says, Size size, View::Action action) {
    auto item = std::make_shared<BarButtonItem>();
    item->identifier = identifier;
    item->accessibilityLabel = says;
    item->imageName = image;
    item->size = size;
    item->action = std::move(action);
    return item;
}

// A title-bar button that opens one of the side menus, also from its key (named in its hint).
std::shared_ptr<BarButtonItem> menuButton(ViewController& vc, const std::string& identifier,
                                          const std::string& image, const std::string& says, Size size,
                                          KeyEvent key, void (SideMenu::*present)()) {
    auto button = barButton(identifier, image, says, size,
                            vc.whileAlive<ViewController>([present](ViewController& s, View&) {
                                if (auto menu = sideMenuViewController(s)) ((*menu).*present)();
                            }));
    button->keyboardShortcut = key;
    button->accessibilityHint = trFormat("快捷键 %1", {keyName(key)});
    return button;
}

void styleBar(ViewController& vc, Color titleColor, bool rounded) {
    if (auto nav = vc.navigationController()) {
        auto& bar = nav->navigationBar();
        bar.setBackgroundImageName("navbar");
        bar.setTintColor(Color::of(ColorRole::OnBar));
        bar.setTitleColor(titleColor);
        if (rounded) nav->view()->setCornerRadius(10);
    }
}
}  // namespace

void setNavTitleBar(ViewController& vc, const std::string& title) {
    auto& item = vc.navigationItem();
    item.setLeftBarButtonItem(menuButton(vc, "presentLeftMenuViewController", "menu", tr("功能菜单"),
                                         {30, 21}, kLeftMenuKey, &SideMenu::presentLeftMenuViewController));
    item.setRightBarButtonItem(menuButton(vc, "presentRightMenuViewController", "user", tr("个人菜单"),
                                          {30, 30}, kRightMenuKey,
                                          &SideMenu::presentRightMenuViewController));
    // The title view: its label (tag 1) takes the title and shrinks to fit; sized to the title
    // at 17 points (at most 280) plus 48.
    double width = std::min(textWidth(title, TextSize::scaled(17)), 280.0) + 48;
    auto logo = std::make_shared<View>(Rect{0, 0, width, 44});
    logo->setIdentifier("LogoView");
    auto label = std::make_shared<Label>(Rect{24, 0, width - 48, 44}, title);
    label->setTag(1);
    label->setTextAlignment(TextAlignment::Center);
    label->setAdjustsFontSizeToFitWidth(true);
    label->setTextColor(Color::of(ColorRole::OnBar));
    logo->addSubview(label);
    item.setTitleView(logo);
    styleBar(vc, Color::of(ColorRole::OnBar), true);
}

void setNavTitleBarWithLeftBTAndTitle(ViewController& vc, const std::string& title) {
    if (!title.empty()) vc.setTitle(title);
    auto& item = vc.navigationItem();
    item.setLeftBarButtonItem(
        barButton("goBack", "back", tr("返回"), {30, 21},
                  vc.whileAlive<ViewController>([](ViewController& s, View&) { s.goBack(); })));
    item.setRightBarButtonItem(
        barButton("goIndex", "home", tr("首页"), {30, 21},
                  vc.whileAlive<ViewController>([](ViewController& s, View&) { s.goIndex(); })));
    styleBar(vc, Color::of(ColorRole::OnBar), false);
}

}  // namespace busdesk::screen
