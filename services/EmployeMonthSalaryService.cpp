#include "services/EmployeMonthSalaryService.h"

#include "core/OfficeMethods.h"
#include "core/OfficeParameters.h"
#include "model/EmployeMonthSalary.h"
#include "services/AnswerDecoders.h"

namespace busdesk {

void EmployeMonthSalaryService::getEmpolyeMonthWithEmpID(
    const std::optional<std::string>& empID, const std::string& month,
    std::function<void(std::shared_ptr<EmployeMonthSalary>, bool)> success, std::function<void()> fail) {
    boost::json::object params;
    if (empID) params[OfficeParameter::EmpID] = *empID;
    params[OfficeParameter::Month] = month;
    auto query = makeQuery<std::shared_ptr<EmployeMonthSalary>>(
        QueryRequest::forSession(OfficeMethod::Query_Salary, std::move(params)),
        &AnswerDecoders::salaryStatement);
    query.logsAnswer = false;
    runQuery<std::shared_ptr<EmployeMonthSalary>>(
        query,
        [success = std::move(success)](std::shared_ptr<EmployeMonthSalary> record) {
            const bool found = record != nullptr;
            if (success) success(std::move(record), found);
        },
        std::move(fail));
}

}  // namespace busdesk
