#include "screens/operations/LiChengDetTableViewController.h"

namespace busdesk {

void LiChengDetTableViewController::addParameters(boost::json::object& params) const {
    if (tag == kDriverTag) {
        // The driver's own days: the driver is the EmpID; a summary row without one asks with none.
        if (driverID)
            params["EmpID"] = *driverID;
        else
            params.erase("EmpID");
    } else {
        params["all"] = all ? "1" : "0";
    }
    params["StartTime"] = startTime;
}

}  // namespace busdesk
