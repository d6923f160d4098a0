#include "screens/operations/ShouRuListViewController.h"

#include "platform/views/NavigationController.h"
#include "screens/operations/ShouRuDetTableViewController.h"

namespace busdesk {

void ShouRuListViewController::prepareCell(ShouRuCell& cell, int row) {
    cell.trailingButton->setTag(row);
    cell.trailingButton->removeAllActions();
    cell.trailingButton->addAction(whileAlive<ShouRuListViewController>(
        [](ShouRuListViewController& s, View& sender) { s.showDetail(sender.tag()); }));
}

void ShouRuListViewController::showDetail(int tag) {
    auto item = itemAt(tag);
    if (!item) return;
    auto detail = std::make_shared<ShouRuDetTableViewController>();
    detail->startTime = startTime;
    detail->userId = item->driverID;
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
