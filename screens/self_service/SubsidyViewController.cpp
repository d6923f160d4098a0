#include "screens/self_service/SubsidyViewController.h"

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
constexpr double kParticularsHeight = 96;
}

void SubsidyViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("个人就餐"));
    auto session = Session::shared().loginResult();
    auto field = [&](const char* caption, const char* id, const std::string& text) {
        auto c = std::make_shared<Label>(Rect{}, caption);
        c->setFontSize(14);
        c->setTextColor(Color::of(ColorRole::SecondaryText));
        view()->addSubview(c);
        captions_.push_back(c);
        auto l = std::make_shared<Label>(Rect{}, text);
        l->setIdentifier(id);
        l->setFontSize(15);
        view()->addSubview(l);
        return l;
    };
    userid = field(tr("卡号："), "userid", displayText(Session::shared().userName()));
    name = field(tr("姓名："), "name", session ? displayText(session->Name) : std::string());
    job = field(tr("岗位："), "job", session ? displayText(session->EmpRoleName) : std::string());
    org = field(tr("单位："), "org", session ? displayText(session->OrgName) : std::string());

    vc1 = std::make_shared<SubsidyListViewController>(tr("充值记录"), 0);
    vc2 = std::make_shared<SubsidyListViewController>(tr("消费记录"), 1);
    vc3 = std::make_shared<SubsidyListViewController>(tr("补贴记录"), 2);
    Rect b = view()->bounds();
    slideSwitchView = std::make_shared<SlideSwitchView>(
        Rect{0, kParticularsHeight, b.width, std::max(0.0, b.height - kParticularsHeight)});
    slideSwitchView->setIdentifier("slideSwitchView");
    view()->addSubview(slideSwitchView);
    layout();
    slideSwitchView->setDelegate(self<SubsidyViewController>());
    slideSwitchView->buildUI();
}

void SubsidyViewController::viewDidLayoutSubviews() {
    layout();
}

void SubsidyViewController::layout() {
    if (!slideSwitchView) return;
    Rect b = view()->bounds();
    double half = b.width / 2;
    std::shared_ptr<Label> values[] = {userid, name, job, org};
    for (int i = 0; i < 4; ++i) {
        // Two particulars a row: column i % 2, row i / 2.
        const int column = i % 2, row = i / 2;
        double x = column * half, y = 8 + row * 40.0;
        captions_[static_cast<std::size_t>(i)]->setFrame({x + 10, y, 50, 34});
        values[i]->setFrame({x + 60, y, half - 66, 34});
    }
    slideSwitchView->setFrame({0, kParticularsHeight, b.width, std::max(0.0, b.height - kParticularsHeight)});
}

std::shared_ptr<ViewController> SubsidyViewController::viewOfTab(SlideSwitchView&, int index) {
    switch (index) {
        case 0:
            return vc1;
        case 1:
            return vc2;
        case 2:
            return vc3;
        default:
            return nullptr;
    }
}

void SubsidyViewController::didselectTab(SlideSwitchView&, int index) {
    if (auto page = std::dynamic_pointer_cast<SubsidyListViewController>(viewOfTab(*slideSwitchView, index)))
        page->viewDidCurrentView();
}

}  // namespace busdesk
