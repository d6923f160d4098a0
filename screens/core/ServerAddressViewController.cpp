#include "screens/core/ServerAddressViewController.h"

#include "core/OfficeAddress.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "services/ConnectionTestService.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void ServerAddressViewController::viewDidLoad() {
    screen::setNavTitleBarWithLeftBTAndTitle(*this, tr(kTitle));
    auto label = [this](const char* id, double size) {
        auto l = std::make_shared<Label>();
        l->setIdentifier(id);
        l->setFontSize(size);
        l->setNumberOfLines(0);
        view()->addSubview(l);
        return l;
    };
    addressInUse = label("addressInUse", 15);
    addressSource = label("addressSource", 13);
    hint_ = label("addressHint", 13);
    hint_->setText(tr("留空并保存：删除个人设置的地址，改用系统设置或内置地址"));
    hint_->setTextColor(Color::of(ColorRole::SecondaryText));
    addressProblems = label("addressProblems", 13);
    addressProblems->setTextColor(Color::of(ColorRole::Warning));

    tf_server = std::make_shared<TextField>();
    tf_server->setIdentifier("tf_server");
    tf_server->setPlaceholder(tr("http://服务器:端口/"));
    tf_server->setKeyboardType(KeyboardType::ASCIICapable);
    tf_server->setReturnKeyType(ReturnKeyType::Done);
    tf_server->setDelegate(self<ServerAddressViewController>());
    view()->addSubview(tf_server);

    auto button = [this](const char* id, const char* title, void (ServerAddressViewController::*method)()) {
        auto b = std::make_shared<Button>(Rect{}, title);
        b->setIdentifier(id);
        b->setBackgroundColor(Color::of(ColorRole::Accent));
        b->setTitleColor(Color::of(ColorRole::OnAccent));
        b->addAction(action(method));
        view()->addSubview(b);
        return b;
    };
    test_ = button("testConnection", tr("测试连接"), &ServerAddressViewController::testConnection);
    save_ = button("saveAddress", tr("保存"), &ServerAddressViewController::saveAddress);
    setMainAction(save_);
    showCurrent();
    tf_server->setText(OfficeAddress::current().office);
}

void ServerAddressViewController::viewDidLayoutSubviews() {
    layout();
}

void ServerAddressViewController::layout() {
    if (!save_) return;
    const double w = view()->bounds().width - 40;
    double y = 20;
    // Measured a little narrower than drawn: the window breaks long file names at word ends, which
    // takes more lines than the measure counts.
    auto place = [&](Label& l, double gap) {
        const double h = l.text().empty() ? 0 : l.sizeThatFits({w * 0.85, 1e6}).height;
        l.setFrame({20, y, w, h});
        y += h + (h > 0 ? gap : 0);
    };
    place(*addressInUse, 8);
    place(*addressSource, 16);
    tf_server->setFrame({20, y, w, 40});
    test_->setFrame({20, y + 56, (w - 12) / 2, 44});
    save_->setFrame({20 + (w + 12) / 2, y + 56, (w - 12) / 2, 44});
    y += 56 + 44 + 12;
    place(*hint_, 16);
    // Last, so that long file names wrap downwards without covering the controls.
    place(*addressProblems, 0);
}

void ServerAddressViewController::showCurrent() {
    const auto current = OfficeAddress::current();
    addressInUse->setText(trFormat("当前地址：%1", {current.office}));
    addressSource->setText(trFormat("来源：%1", {OfficeAddress::sourceText(current)}));
    std::string problems;
    for (const auto& p : current.problems) problems += (problems.empty() ? tr("配置文件有误：\n") : "\n") + p;
    addressProblems->setText(problems);
    layout();
}

bool ServerAddressViewController::textFieldShouldReturn(TextField& field) {
    field.resignFirstResponder();
    return true;
}

void ServerAddressViewController::testConnection() {
    const std::string typed = tf_server->text();
    const bool blank = typed.find_first_not_of(" \t") == std::string::npos;
    auto checked = OfficeAddress::check(blank ? OfficeAddress::current().office : typed);
    if (!checked.url)
        return screen::setAlertInfo(
            trFormat("服务器地址无效：%1", {OfficeAddress::describeChinese(checked.problem)}), *view());
    screen::showActivityOrNo(true, *view());
    ConnectionTestService::testConnectionWithBaseURL(
        *checked.url, whileAlive<ServerAddressViewController>([](ServerAddressViewController& self) {
            screen::showActivityOrNo(false, *self.view());
            screen::setAlertInfo(tr(kConnected), *self.view());
        }),
        whileAlive<ServerAddressViewController>(
            [](ServerAddressViewController& self, const std::string& reason) {
                screen::showActivityOrNo(false, *self.view());
                screen::setAlertInfo(trFormat("连接失败：%1", {reason}), *self.view());
            }));
}

void ServerAddressViewController::saveAddress() {
    tf_server->resignFirstResponder();
    auto saved = OfficeAddress::saveUserServer(tf_server->text());
    if (saved.ok) {
        showCurrent();
        tf_server->setText(OfficeAddress::current().office);
    }
    screen::setAlertInfo(saved.message, *view());
}

}  // namespace busdesk
