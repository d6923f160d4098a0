#include "screens/operations/RanYouXiaoHaoDateViewController.h"

#include "core/PublicMethod.h"
#include "platform/Log.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/RanYouDetailViewController.h"
#include "screens/operations/RanYouXiaoHaoListViewController.h"
#include "screens/query/DateRangeInput.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void RanYouXiaoHaoDateViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, "燃料消耗");
    lblBus_ = form::caption(*view(), "车号：");
    tf_BusNo = form::textField(*view(), "tf_BusNo", "请输入车号");
    tf_BusNo->setDelegate(self<RanYouXiaoHaoDateViewController>());
    mode.emplace(*view(), ChoicePair::Side{"datBtn", "按日查询", "leftBtnImg"},
                 ChoicePair::Side{"monthBtn", "按月查询", "rigthBtnImg"},
                 action(&RanYouXiaoHaoDateViewController::datBtn),
                 action(&RanYouXiaoHaoDateViewController::monthBtn));
    datePicker = period_wheels::addDayWheel(*view(), "datePicker");
    monthPicker = period_wheels::addMonthWheel(*view());
    monthPicker->setHidden(true);
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
    mode->layout(rows.full(form::Rows::kRowHeight));
    Rect wheel = rows.full(180);
    datePicker->setFrame(wheel);
    monthPicker->setFrame(wheel);
    btnSearch->setFrame(rows.button());
}

bool RanYouXiaoHaoDateViewController::textFieldShouldReturn(TextField& field) {
    field.resignFirstResponder();
    return true;
}

void RanYouXiaoHaoDateViewController::datBtn() {
    datePicker->setHidden(false);
    monthPicker->setHidden(true);
    day = true;
    mode->choose(true);
}

void RanYouXiaoHaoDateViewController::monthBtn() {
    datePicker->setHidden(true);
    monthPicker->setHidden(false);
    day = false;
    mode->choose(false);
}

void RanYouXiaoHaoDateViewController::search() {
    auto nav = navigationController();
    if (!nav) return;
    if (day) {
        auto detail = std::make_shared<RanYouDetailViewController>();
        detail->selectDate = PublicMethod::getDateString(datePicker->date(), query_dates::kDay);
        detail->isday = true;
        detail->busNo = tf_BusNo->text();
        nav->pushViewController(detail, true);
        return;
    }
    auto list = std::make_shared<RanYouXiaoHaoListViewController>();
    list->selectDate = PublicMethod::getDateString(monthPicker->date(), query_dates::kMonth);
    Log::line("selectDate==" + PublicMethod::getDateString(monthPicker->date(), "yyyy-MM-dd HH:mm:ss"));
    list->busNo = tf_BusNo->text();
    nav->pushViewController(list, true);
}

}  // namespace busdesk
