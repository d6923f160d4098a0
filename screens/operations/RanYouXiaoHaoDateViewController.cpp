#include "screens/operations/RanYouXiaoHaoDateViewController.h"

#include "core/PublicMethod.h"
#include "platform/Log.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/RanYouDetailViewController.h"
#include "screens/operations/RanYouXiaoHaoListViewController.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void RanYouXiaoHaoDateViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("燃料消耗"));
    lblBus_ = form::caption(*view(), tr("车号："));
    tf_BusNo = form::textField(*view(), "tf_BusNo", tr("请输入车号"));
    tf_BusNo->setDelegate(self<RanYouXiaoHaoDateViewController>());
    period.emplace(*view(), ChoicePair::Side{"datBtn", tr("按日查询"), "leftBtnImg"},
                   ChoicePair::Side{"monthBtn", tr("按月查询"), "rigthBtnImg"},
                   action(&RanYouXiaoHaoDateViewController::datBtn),
                   action(&RanYouXiaoHaoDateViewController::monthBtn));
    period->addWheels(*view(), "datePicker");
    datePicker = period->dayWheel;
    monthPicker = period->monthWheel;
    btnSearch = form::queryButton(*view(), "search", action(&RanYouXiaoHaoDateViewController::search));
    layout();
}

void RanYouXiaoHaoDateViewController::viewDidLayoutSubviews() {
    layout();
}

void RanYouXiaoHaoDateViewController::layout() {
    if (!btnSearch) return;
    form::Rows rows(*view());
    tf_BusNo->setFrame(rows.field(*lblBus_));
    Rect choice = rows.full(form::Rows::kRowHeight);
    period->layout(choice, rows.full(180));
    btnSearch->setFrame(rows.button());
}

bool RanYouXiaoHaoDateViewController::textFieldShouldReturn(TextField& field) {
    field.resignFirstResponder();
    return true;
}

void RanYouXiaoHaoDateViewController::datBtn() {
    day = true;
    period->show(day);
}

void RanYouXiaoHaoDateViewController::monthBtn() {
    day = false;
    period->show(day);
}

void RanYouXiaoHaoDateViewController::search() {
    auto nav = navigationController();
    if (!nav) return;
    if (day) {
        auto detail = std::make_shared<RanYouDetailViewController>();
        detail->selectDate = period->periodText(day);
        detail->isday = true;
        detail->busNo = tf_BusNo->text();
        nav->pushViewController(detail, true);
        return;
    }
    auto list = std::make_shared<RanYouXiaoHaoListViewController>();
    list->selectDate = period->periodText(day);
    Log::line("selectDate==" + PublicMethod::getDateString(monthPicker->date(), "yyyy-MM-dd HH:mm:ss"));
    list->busNo = tf_BusNo->text();
    nav->pushViewController(list, true);
}

}  // namespace busdesk
