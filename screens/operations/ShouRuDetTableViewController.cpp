#include "screens/operations/ShouRuDetTableViewController.h"

#include "platform/Log.h"

namespace busdesk {

void ShouRuDetTableViewController::viewDidLoad() {
    Log::line("-----8==" + userId.value_or("(null)"));
    ResultListViewController::viewDidLoad();
}

void ShouRuDetTableViewController::addParameters(boost::json::object& params) const {
    // A summary row without a driver asks with none rather than with the signed-in employee.
    if (userId)
        params["EmpID"] = *userId;
    else
        params.erase("EmpID");
    params["StartTime"] = startTime;
}

}  // namespace busdesk
