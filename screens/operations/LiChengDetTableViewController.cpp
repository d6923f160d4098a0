#include "screens/operations/LiChengDetTableViewController.h"

namespace busdesk {

LiChengDetTableViewController::Query LiChengDetTableViewController::query() const {
    if (tag == kDriverTag) return OfficeQueries::mileageOfDriver(driverID, startTime);
    return OfficeQueries::mileageOfDay(scopeOf(all), startTime);
}

}  // namespace busdesk
