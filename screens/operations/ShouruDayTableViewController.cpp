#include "screens/operations/ShouruDayTableViewController.h"

#include "app/core/PublicMethod.h"
#include "app/core/SettingsKeys.h"
#include "screens/core/SignedInAccount.h"

namespace busdesk {

void ShouruDayTableViewController::addParameters(boost::json::object& params) const {
    auto remembered = PublicMethod::getStringForKey(kZtUsername);
    if (!PublicMethod::isBlankString(remembered))
        params["EmpID"] = *remembered;
    else if (auto typed = SignedInAccount::typedCardID(); !PublicMethod::isBlankString(typed))
        params["EmpID"] = *typed;
    else
        params.erase("EmpID");
    params["all"] = all ? "1" : "0";
    params["StartTime"] = startTime;
}

}  // namespace busdesk
