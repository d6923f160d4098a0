#include "screens/operations/WeiXiuDetailViewController.h"

#include "platform/Translation.h"

namespace busdesk {

void WeiXiuDetailViewController::viewDidLoad() {
    istag = titleStr == "维修查询";
    ResultListViewController::viewDidLoad();
}

std::string WeiXiuDetailViewController::screenTitle() const {
    return titleStr == "维修查询" ? tr("维修详情") : tr(titleStr);
}

WeiXiuDetailViewController::Query WeiXiuDetailViewController::query() const {
    return istag ? OfficeQueries::repairOrders(busNo, bDate, eDate)
                 : OfficeQueries::maintenancePlans(busNo, bDate, eDate);
}

std::shared_ptr<TableViewCell> WeiXiuDetailViewController::cellForRow(TableView& tv, IndexPath ip) {
    if (!istag) return ResultListViewController::cellForRow(tv, ip);
    auto cell = std::dynamic_pointer_cast<WeiXiuDetailCell>(
        tv.dequeueReusableCell(WeiXiuDetailCell::kReuseIdentifier));
    if (!cell) cell = std::make_shared<WeiXiuDetailCell>();
    auto item = itemAt(ip.row);
    cell->fill(item.get(), ip.row);
    return cell;
}

double WeiXiuDetailViewController::heightForRow(TableView& tv, IndexPath ip) {
    if (!istag) return ResultListViewController::heightForRow(tv, ip);
    return LinesCell::heightFor(WeiXiuDetailCell::lines().size());
}

}  // namespace busdesk
