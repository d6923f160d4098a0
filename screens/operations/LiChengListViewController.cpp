#include "screens/operations/LiChengListViewController.h"

#include "platform/Log.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/LiChengDetTableViewController.h"

namespace busdesk {

void LiChengListViewController::didSelectRow(TableView& tv, IndexPath ip) {
    tv.deselectRow(ip, false);
    auto item = itemAt(ip.row);
    if (!item) return;
    Log::line("info.driverID==" + item->driverID.value_or("(null)"));
    auto detail = std::make_shared<LiChengDetTableViewController>();
    detail->tag = LiChengDetTableViewController::kDriverTag;
    detail->driverID = item->driverID;
    detail->startTime = startTime;
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
