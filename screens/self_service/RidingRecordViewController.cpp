#include "screens/self_service/RidingRecordViewController.h"

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "services/RidingRecodeService.h"

namespace busdesk {

void RidingRecordViewController::addParameters(boost::json::object& params) const {
    // The bus card, not the employee: an empty card number is sent empty, a missing one not at all.
    params.erase("EmpID");
    if (auto session = Session::shared().loginResult(); session && session->oneCardID)
        params["EmpID"] = *session->oneCardID;
}

void RidingRecordViewController::send(boost::json::object params, Delivered ok, Failed fail) {
    std::optional<std::string> card;
    if (auto* v = params.if_contains("EmpID"); v && v->is_string()) card = std::string(v->get_string());
    RidingRecodeService::getRidingWithEmpID(
        card, [ok = std::move(ok)](std::shared_ptr<RidingRecordList> list) { ok(std::move(list)); },
        std::move(fail));
}

}  // namespace busdesk
