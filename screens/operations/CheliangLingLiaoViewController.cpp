#include "screens/operations/CheliangLingLiaoViewController.h"

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/RunLoop.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/CheliangLingLiaoTableViewController.h"
#include "screens/query/DateRangeInput.h"
#include "screens/query/PeriodInput.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

std::string& CheliangLingLiaoViewController::selectedMonth() {
    static std::string month;
    return month;
}

void CheliangLingLiaoViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("车辆领料"));
    lblBus_ = form::caption(*view(), tr("车号："));
    lblMonth_ = form::caption(*view(), tr("月份："));
    tf_busNo = form::textField(*view(), "tf_busNo", tr("请输入车号"));
    monthPicker = period_wheels::addMonthWheel(*view(), self<CheliangLingLiaoViewController>());
    selectedMonth() = PublicMethod::getDateString(monthPicker->date(), query_dates::kMonth);
    if (auto stored = PublicMethod::getStringForKey(kBuselfid); !PublicMethod::isBlankString(stored))
        tf_busNo->setText(*stored);
    btnSearch = form::queryButton(*view(), "search", action(&CheliangLingLiaoViewController::search));
    layout();
}

void CheliangLingLiaoViewController::viewDidLayoutSubviews() {
    layout();
}

void CheliangLingLiaoViewController::layout() {
    if (!btnSearch) return;
    form::Rows rows(*view());
    tf_busNo->setFrame(rows.field(*lblBus_));
    rows.field(*lblMonth_);
    monthPicker->setFrame(rows.full(180));
    btnSearch->setFrame(rows.button());
}

void CheliangLingLiaoViewController::monthPickerDidChangeDate(MonthPicker& picker) {
    // The wheel is read when the second is over, so two quick turns end on the last one.
    std::weak_ptr<MonthPicker> wheel = std::static_pointer_cast<MonthPicker>(picker.shared_from_this());
    std::string now = PublicMethod::getDateString(picker.date(), query_dates::kMonth);
    dispatchMainAfter(kMonthUpdateDelay, [wheel, now] {
        auto w = wheel.lock();
        selectedMonth() = w ? PublicMethod::getDateString(w->date(), query_dates::kMonth) : now;
    });
}

void CheliangLingLiaoViewController::search() {
    auto list = std::make_shared<CheliangLingLiaoTableViewController>();
    list->selectDate = selectedMonth();
    list->busNo = tf_busNo->text();
    if (auto nav = navigationController()) nav->pushViewController(list, true);
}

}  // namespace busdesk
