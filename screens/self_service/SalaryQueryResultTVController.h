#pragma once

#include <memory>
#include <string>

#include "model/EmployeMonthSalary.h"
#include "platform/Translation.h"
#include "screens/query/QueryListViewController.h"
#include "screens/self_service/SalaryQueryResultTVCell.h"
#include "screens/self_service/SalaryQueryResultTableHeaderView.h"

namespace busdesk {

// The salary statement of `month` ("yyyyMM"), every item in answer order, headed by the month and
// the net pay (the "实发金额" item, which is listed too).
class SalaryQueryResultTVController
    : public ResultListViewController<&EmployeMonthSalary::salaryItems, SalaryQueryResultTVCell> {
  public:
    static constexpr const char* kNetPayItem = "实发金额";  // the office's item name, not translated

    std::string month;
    std::string moneySum;
    std::shared_ptr<SalaryQueryResultTableHeaderView> header;

    std::shared_ptr<EmployeMonthSalary> employeMonthSalary() const { return received; }
    // "查询月份：2014年03月"; "查询月份：" when no month is set.
    static std::string monthCaption(const std::string& month);

  protected:
    std::string screenTitle() const override { return tr("薪资详情"); }
    void configureList(TableView& list) override;
    Query query() const override { return OfficeQueries::salaryStatement(month); }
    std::size_t keep(std::shared_ptr<WireModel> model, int tag) override;
};

}  // namespace busdesk
