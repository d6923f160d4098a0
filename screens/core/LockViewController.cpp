#include "screens/core/LockViewController.h"

#include "platform/Translation.h"
#include "platform/views/Palette.h"

namespace busdesk {

void LockViewController::viewDidLoad() {
    auto root = view();
    root->setBackgroundColor(Color::of(ColorRole::Background));
    // Opaque and in front of everything: nothing under it shows through or takes a touch.
    root->setBlocksTouchesBelow(true);

    title_ = std::make_shared<Label>(Rect{}, tr("已锁定"));
    title_->setIdentifier("lockTitle");
    title_->setFontSize(24);
    title_->setTextAlignment(TextAlignment::Center);
    name_ = std::make_shared<Label>(Rect{}, userName_);
    name_->setIdentifier("lockUserName");
    name_->setFontSize(20);
    name_->setTextAlignment(TextAlignment::Center);

    lockPassword = std::make_shared<TextField>();
    lockPassword->setIdentifier("lockPassword");
    lockPassword->setPlaceholder(tr("请输入密码"));
    lockPassword->setSecureTextEntry(true);
    lockPassword->setReturnKeyType(ReturnKeyType::Done);
    lockPassword->setDelegate(self<LockViewController>());

    message_ = std::make_shared<Label>(Rect{}, "");
    message_->setIdentifier("lockMessage");
    message_->setFontSize(14);
    message_->setTextColor(Color::of(ColorRole::Warning));
    message_->setTextAlignment(TextAlignment::Center);
    message_->setHidden(true);

    unlock_ = std::make_shared<Button>(Rect{}, tr("解锁"));
    unlock_->setIdentifier("unlock");
    unlock_->setBackgroundColor(Color::of(ColorRole::Accent));
    unlock_->setCornerRadius(8);
    unlock_->setTitleColor(Color::of(ColorRole::OnAccent));
    unlock_->setFontSize(18);
    unlock_->addAction(action(&LockViewController::unlock));

    switchUser_ = std::make_shared<Button>(Rect{}, tr("切换用户"));
    switchUser_->setIdentifier("switchUser");
    switchUser_->setTitleColor(Color::of(ColorRole::Accent));
    switchUser_->setFontSize(16);
    switchUser_->addAction(action(&LockViewController::switchUser));

    for (const std::shared_ptr<View>& v : std::initializer_list<std::shared_ptr<View>>{
             title_, name_, lockPassword, message_, unlock_, switchUser_})
        root->addSubview(v);
    layout();
}

void LockViewController::viewDidLayoutSubviews() {
    layout();
}

void LockViewController::layout() {
    if (!lockPassword) return;
    double width = view()->bounds().width;
    double left = 40, w = width - 80;
    title_->setFrame({left, 140, w, 36});
    name_->setFrame({left, 190, w, 30});
    lockPassword->setFrame({left, 250, w, 40});
    message_->setFrame({left, 296, w, 22});
    unlock_->setFrame({left, 326, w, 44});
    switchUser_->setFrame({left, 386, w, 40});
}

bool LockViewController::textFieldShouldReturn(TextField& field) {
    (void)field;
    unlock();
    return true;
}

void LockViewController::unlock() {
    if (onUnlock) onUnlock(lockPassword->text());
}

void LockViewController::switchUser() {
    if (onSwitchUser) onSwitchUser();
}

void LockViewController::showMessage(const std::string& message) {
    message_->setText(message);
    message_->setHidden(message.empty());
    lockPassword->setText({});
}

}  // namespace busdesk
