#include "services/EmployeMonthSalaryService.h"

#include "core/PublicMethod.h"
#include "model/EmployeMonthSalary.h"
#include "services/OfficeCall.h"

namespace busdesk {

void EmployeMonthSalaryService::getEmpolyeMonthWithEmpID(
    const std::optional<std::string>& empID, const std::string& month,
    std::function<void(std::shared_ptr<EmployeMonthSalary>, bool)> success, std::function<void()> fail) {
    boost::json::object params;
    if (empID) params["EmpID"] = *empID;
    params["Month"] = month;
    auto mgr = OfficeCall::manager();
    mgr->GET(
        PublicMethod::getQuerySalary(), boost::json::value(std::move(params)),
        [mgr, success](const std::shared_ptr<HTTPRequestOperation>&, const ResponseObject& answer) {
            const auto* lines = answer.json ? answer.json->if_array() : nullptr;
            // A statement with a line that cannot be read is no statement: the screen shows its
            // no-data text, as for a month not yet paid.
            auto items = lines && !lines->empty() ? SalaryItem::arrayOfModelsFromDictionaries(*answer.json)
                                                  : std::nullopt;
            if (!items || items->empty()) {
                if (success) success(nullptr, false);
                return;
            }
            auto record = EmployeMonthSalary::init();
            record->salaryItems = WireModelArray<SalaryItem>(std::move(*items));
            if (success) success(record, true);
        },
        OfficeCall::failureBlock(mgr, fail, false));
}

}  // namespace busdesk
