#include "screens/core/RightMenu1ViewController.h"

#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "platform/views/Window.h"
#include "screens/core/ProfileViewController.h"
#include "screens/core/ScreenIcons.h"
#include "screens/core/SettingViewController.h"
#include "screens/core/SignOut.h"
#include "screens/self_service/BusFeedBackViewController.h"
#include "screens/self_service/RidingRecordViewController.h"
#include "screens/self_service/SalaryQueryViewController.h"
#include "screens/self_service/SubsidyViewController.h"
#include "ui/SideMenu.h"

namespace busdesk {

namespace {
constexpr double kButtonHeight = 44;
}  // namespace

std::vector<ScreenEntry> RightMenu1ViewController::entries() {
    return {
        {tr("个人信息"), "userInfo", "IconProfile", "ProfileViewController", plain<ProfileViewController>()},
        {tr("工资查询"), "ShowSalary", "IconSalary", "SalaryQueryViewController",
         plain<SalaryQueryViewController>()},
        {tr("餐补查询"), "ShowLunch", "IconLunch", "SubsidyViewController", plain<SubsidyViewController>()},
        {tr("乘车记录"), "ShowBusRecord", "IconBusRecord", "RidingRecordViewController",
         plain<RidingRecordViewController>()},
        {tr("车辆反馈"), "ShowFeedBack", "IconFeedBack", "BusFeedBackViewController",
         plain<BusFeedBackViewController>()},
        {tr("系统设置"), "ShowSetting", "IconSetting", "SettingViewController",
         plain<SettingViewController>()},
    };
}

void RightMenu1ViewController::viewDidLoad() {
    defineScreenIcons();
    view()->setBackgroundColor(Color::clear());
    auto session = Session::shared().loginResult();
    userBtn = std::make_shared<Button>(Rect{}, session ? displayText(session->Name) : std::string());
    userBtn->setIdentifier("userBtn");
    userBtn->setTitleColor(Color::of(ColorRole::OnMenu));
    userBtn->setFontSize(20);
    auto profile = entries().front();
    userBtn->addAction(whileAlive<RightMenu1ViewController>(
        [profile](RightMenu1ViewController& self, View&) { self.open(profile); }));
    view()->addSubview(userBtn);

    for (const auto& entry : entries()) {
        auto button = std::make_shared<Button>(Rect{}, entry.title);
        button->setIdentifier(entry.action);
        button->setImageName(entry.icon);
        button->setTitleColor(Color::of(ColorRole::OnMenu));
        button->addAction(whileAlive<RightMenu1ViewController>(
            [entry](RightMenu1ViewController& self, View&) { self.open(entry); }));
        buttons_.push_back(button);
        view()->addSubview(button);
    }
    auto out = std::make_shared<Button>(Rect{}, tr("退出登录"));
    out->setIdentifier("signOut");
    out->setImageName("IconSignOut");
    out->setTitleColor(Color::of(ColorRole::OnMenu));
    out->addAction(action(&RightMenu1ViewController::signOut));
    buttons_.push_back(out);
    view()->addSubview(out);
    layout();
}

void RightMenu1ViewController::viewDidLayoutSubviews() {
    layout();
}

void RightMenu1ViewController::layout() {
    if (!userBtn) return;
    Rect b = view()->bounds();
    // The right menu slides in from the right: its buttons sit on the right-hand part.
    double left = b.width * 0.4, w = b.width * 0.6 - 20;
    userBtn->setFrame({left, 90, w, 50});
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setFrame({left, 160 + kButtonHeight * static_cast<double>(i), w, kButtonHeight});
}

void RightMenu1ViewController::open(const ScreenEntry& entry) {
    // Self-service screens of later work: the button stays and does nothing yet.
    if (!entry.available()) return;
    if (openScreen) openScreen(entry.make());
}

void RightMenu1ViewController::signOut() {
    if (Window* window = view()->window()) SignOut::signOut(*window);
}

}  // namespace busdesk
