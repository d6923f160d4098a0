#include "screens/operations/CheliangLingLiaoTableViewController.h"

#include "platform/views/NavigationController.h"
#include "screens/operations/CheliangLingLiaoDetailController.h"

namespace busdesk {

void CheliangLingLiaoTableViewController::didSelectRow(TableView& tv, IndexPath ip) {
    tv.deselectRow(ip, false);
    auto item = itemAt(ip.row);
    if (!item) return;
    auto detail = std::make_shared<CheliangLingLiaoDetailController>();
    detail->selectDate = selectDate;
    detail->busNo = item->Busname.value_or("");
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
