#include "services/RidingRecodeService.h"

#include "core/OfficeMethods.h"
#include "core/PublicMethod.h"
#include "model/RidingRecordList.h"
#include "services/OfficeCall.h"

namespace busdesk {

void RidingRecodeService::getRidingWithEmpID(const std::optional<std::string>& empID,
                                             std::function<void(std::shared_ptr<RidingRecordList>)> success,
                                             std::function<void()> fail) {
    boost::json::object params;
    if (empID) params["EmpID"] = *empID;
    OfficeCall::fetchList(PublicMethod::addUrlPreWithName(OfficeMethod::Query_RidingRecode),
                          std::move(params), true, &RidingRecordList::List, std::move(success),
                          std::move(fail));
}

}  // namespace busdesk
