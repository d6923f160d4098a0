#include "screens/core/SettingViewController.h"

#include "platform/views/NavigationController.h"
#include "screens/core/ChangePasswordViewController.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void SettingViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, "系统设置");
    changePassword_ = std::make_shared<Button>(Rect{}, "修改密码");
    changePassword_->setIdentifier("changePassword");
    changePassword_->addAction(action(&SettingViewController::changePassword));
    view()->addSubview(changePassword_);
    viewDidLayoutSubviews();
}

void SettingViewController::viewDidLayoutSubviews() {
    if (changePassword_) changePassword_->setFrame({20, 30, view()->bounds().width - 40, 44});
}

void SettingViewController::changePassword() {
    auto screen = std::make_shared<ChangePasswordViewController>();
    screen->setTitle("修改密码");
    if (auto nav = navigationController()) nav->pushViewController(screen, true);
}

}  // namespace busdesk
