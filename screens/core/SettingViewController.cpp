#include "screens/core/SettingViewController.h"

#include "core/AppInfo.h"
#include "core/OfficeAddress.h"
#include "platform/views/NavigationController.h"
#include "screens/core/ChangePasswordViewController.h"
#include "screens/core/ServerAddressViewController.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void SettingViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, "系统设置");
    changePassword_ = std::make_shared<Button>(Rect{}, "修改密码");
    changePassword_->setIdentifier("changePassword");
    changePassword_->addAction(action(&SettingViewController::changePassword));
    view()->addSubview(changePassword_);
    serverAddress_ = std::make_shared<Button>(Rect{}, ServerAddressViewController::kTitle);
    serverAddress_->setIdentifier("serverAddress");
    serverAddress_->addAction(action(&SettingViewController::serverAddress));
    view()->addSubview(serverAddress_);
    serverAddressValue = std::make_shared<Label>();
    serverAddressValue->setIdentifier("serverAddressValue");
    serverAddressValue->setFontSize(13);
    serverAddressValue->setNumberOfLines(0);
    view()->addSubview(serverAddressValue);
    versionLine = std::make_shared<Label>(Rect{}, "版本 " + AppInfo::version());
    versionLine->setIdentifier("versionLine");
    versionLine->setFontSize(13);
    versionLine->setTextAlignment(TextAlignment::Center);
    view()->addSubview(versionLine);
    showServerAddress();
}

void SettingViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    // Back from the address screen, the row shows what was saved there.
    showServerAddress();
}

void SettingViewController::showServerAddress() {
    if (!serverAddressValue) return;
    const auto current = OfficeAddress::current();
    serverAddressValue->setText(current.office + "\n" + OfficeAddress::sourceText(current));
    viewDidLayoutSubviews();
}

void SettingViewController::viewDidLayoutSubviews() {
    if (!changePassword_) return;
    const double w = view()->bounds().width - 40;
    changePassword_->setFrame({20, 30, w, 44});
    serverAddress_->setFrame({20, 90, w, 44});
    const double h = serverAddressValue->sizeThatFits({w, 1e6}).height;
    serverAddressValue->setFrame({20, 140, w, h});
    versionLine->setFrame({20, 150 + h, w, 24});
}

void SettingViewController::changePassword() {
    auto screen = std::make_shared<ChangePasswordViewController>();
    screen->setTitle("修改密码");
    if (auto nav = navigationController()) nav->pushViewController(screen, true);
}

void SettingViewController::serverAddress() {
    if (auto nav = navigationController())
        nav->pushViewController(std::make_shared<ServerAddressViewController>(), true);
}

}  // namespace busdesk
