#include "services/SubsidyService.h"

#include "core/OfficeMethods.h"
#include "core/OfficeParameters.h"
#include "model/SubsidyRechargeList.h"
#include "services/AnswerDecoders.h"

namespace busdesk {

void SubsidyService::getRechargeInfoWithEmpID(
    const std::optional<std::string>& empID, const std::string& starttime, const std::string& endime, int tag,
    std::function<void(std::shared_ptr<SubsidyRechargeList>)> success, std::function<void()> fail) {
    const char* method = nullptr;
    switch (tag) {
        case 0:
            method = OfficeMethod::Query_RechargeInfo;
            break;
        case 1:
            method = OfficeMethod::Query_ConsumeInfo;
            break;
        case 2:
            method = OfficeMethod::Query_MealsubsidsInfo;
            break;
        default:
            OfficeCall::logFailure(
                OfficeCall::makeError(OfficeServiceErrorCode::UnknownTag,
                                      "No meal-card method for the kind " + std::to_string(tag) + "."),
                nullptr, false);
            OfficeCall::failLater(std::move(fail));
            return;
    }
    boost::json::object params;
    if (empID) params[OfficeParameter::EmpID] = *empID;
    params[OfficeParameter::starttime] = starttime;
    params[OfficeParameter::endtime] = endime;
    runQuery(listQuery<&SubsidyRechargeList::listArr>(QueryRequest::forSession(method, std::move(params))),
             std::move(success), std::move(fail));
}

}  // namespace busdesk
