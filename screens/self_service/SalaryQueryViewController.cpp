#include "screens/self_service/SalaryQueryViewController.h"

#include <algorithm>
#include <cstdlib>

#include "core/PublicMethod.h"
#include "platform/Date.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/query/QueryForm.h"
#include "screens/self_service/SalaryQueryResultTVController.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
std::vector<std::string> texts(const std::vector<int>& numbers) {
    std::vector<std::string> out;
    for (int n : numbers) out.push_back(std::to_string(n));
    return out;
}
}  // namespace

std::vector<int> SalaryQueryViewController::monthsOf(int year, int currentYear, int currentMonth) {
    int last = year == currentYear ? currentMonth - 1 : 12;
    std::vector<int> out;
    for (int m = 1; m <= last; ++m) out.push_back(m);
    return out;
}

std::string SalaryQueryViewController::monthText(int year, int month) {
    return std::to_string(year) + (month > 9 ? "" : "0") + std::to_string(month);
}

void SalaryQueryViewController::prepare() {
    currentYear = std::atoi(PublicMethod::getDateString(Date::now(), "yyyy").c_str());
    currentMonth = std::atoi(PublicMethod::getDateString(Date::now(), "M").c_str());
    selectedYear = currentYear;
    selectedMonth = currentMonth - 1;
    if (currentMonth == 1) {
        selectedYear = currentYear - 1;
        selectedMonth = 12;
    }
    years.clear();
    for (int y = kFirstYear; y <= selectedYear; ++y) years.push_back(y);
    months = monthsOf(selectedYear, currentYear, currentMonth);
}

void SalaryQueryViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr("薪资查看"));
    prepare();
    lblYear_ = form::caption(*view(), tr("年份"));
    lblMonth_ = form::caption(*view(), tr("月份"));
    yearPicker = std::make_shared<PickerView>();
    yearPicker->setIdentifier("yearPicker");
    yearPicker->setColumns({texts(years)});
    yearPicker->selectRow(static_cast<int>(years.size()) - 1, 0);
    yearPicker->setSelectHandler(
        whileAlive<SalaryQueryViewController>([](SalaryQueryViewController& self, PickerView&, int row, int) {
            if (row >= 0 && row < static_cast<int>(self.years.size()))
                self.pickYear(self.years[static_cast<std::size_t>(row)]);
        }));
    view()->addSubview(yearPicker);
    monthPicker = std::make_shared<PickerView>();
    monthPicker->setIdentifier("monthPicker");
    monthPicker->setColumns({texts(months)});
    monthPicker->selectRow(static_cast<int>(months.size()) - 1, 0);
    monthPicker->setSelectHandler(
        whileAlive<SalaryQueryViewController>([](SalaryQueryViewController& self, PickerView&, int row, int) {
            if (row >= 0 && row < static_cast<int>(self.months.size()))
                self.pickMonth(self.months[static_cast<std::size_t>(row)]);
        }));
    view()->addSubview(monthPicker);
    btnQuery = form::queryButton(*view(), "query", action(&SalaryQueryViewController::query));
    layout();
}

void SalaryQueryViewController::viewDidLayoutSubviews() {
    layout();
}

void SalaryQueryViewController::layout() {
    if (!btnQuery) return;
    Rect b = view()->bounds();
    double half = (b.width - 40) / 2;
    lblYear_->setFrame({20, 24, half, 30});
    lblMonth_->setFrame({20 + half, 24, half, 30});
    yearPicker->setFrame({20, 60, half, 180});
    monthPicker->setFrame({20 + half, 60, half, 180});
    btnQuery->setFrame({20, 260, b.width - 40, 44});
}

void SalaryQueryViewController::pickYear(int year) {
    selectedYear = year;
    months = monthsOf(selectedYear, currentYear, currentMonth);
    if (!months.empty() && selectedMonth > static_cast<int>(months.size())) selectedMonth = months.back();
    reloadMonths();
}

void SalaryQueryViewController::reloadMonths() {
    if (!monthPicker) return;
    monthPicker->setColumns({texts(months)});
    // The wheel shows the month the query will send, also when the month stayed as it was.
    monthPicker->selectRow(selectedMonth - 1, 0);
}

void SalaryQueryViewController::pickMonth(int month) {
    selectedMonth = month;
}

void SalaryQueryViewController::query() {
    auto result = std::make_shared<SalaryQueryResultTVController>();
    result->month = monthText(selectedYear, selectedMonth);
    if (auto nav = navigationController()) nav->pushViewController(result, true);
}

}  // namespace busdesk
