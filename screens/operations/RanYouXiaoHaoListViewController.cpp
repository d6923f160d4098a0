#include "screens/operations/RanYouXiaoHaoListViewController.h"

#include "platform/views/NavigationController.h"
#include "screens/operations/RanYouDetailViewController.h"

namespace busdesk {

void RanYouXiaoHaoListViewController::prepareCell(RanYouListCell& cell, int row) {
    cell.trailingButton->setTag(row);
    cell.trailingButton->removeAllActions();
    cell.trailingButton->addAction(whileAlive<RanYouXiaoHaoListViewController>(
        [](RanYouXiaoHaoListViewController& s, View& sender) { s.showDetail(sender.tag()); }));
}

void RanYouXiaoHaoListViewController::showDetail(int tag) {
    auto item = itemAt(tag);
    if (!item) return;
    auto detail = std::make_shared<RanYouDetailViewController>();
    detail->selectDate = selectDate;
    detail->busNo = item->Busname.value_or("");
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
