#include "screens/operations/ShouruDayTableViewController.h"

#include "core/Session.h"

namespace busdesk {

void ShouruDayTableViewController::addParameters(boost::json::object& params) const {
    // The remembered login name, else the card typed at this run's login, else no "EmpID".
    if (auto name = Session::shared().userName())
        params["EmpID"] = *name;
    else
        params.erase("EmpID");
    params["all"] = all ? "1" : "0";
    params["StartTime"] = startTime;
}

}  // namespace busdesk
