#include "services/RidingRecodeService.h"

#include "core/OfficeMethods.h"
#include "core/OfficeParameters.h"
#include "model/RidingRecordList.h"
#include "services/AnswerDecoders.h"

namespace busdesk {

void RidingRecodeService::getRidingWithEmpID(const std::optional<std::string>& empID,
                                             std::function<void(std::shared_ptr<RidingRecordList>)> success,
                                             std::function<void()> fail) {
    boost::json::object params;
    if (empID) params[OfficeParameter::EmpID] = *empID;
    runQuery(listQuery<&RidingRecordList::List>(
                 QueryRequest::forSession(OfficeMethod::Query_RidingRecode, std::move(params))),
             std::move(success), std::move(fail));
}

}  // namespace busdesk
