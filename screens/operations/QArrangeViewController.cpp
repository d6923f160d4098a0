#include "screens/operations/QArrangeViewController.h"

#include "platform/views/NavigationController.h"
#include "screens/query/DateRangeInput.h"

namespace busdesk {

void QArrangeViewController::viewDidLoad() {
    dateStr = query_dates::tomorrow();
    ResultListViewController::viewDidLoad();
}

bool QArrangeViewController::openedFromMenu() const {
    // The menu makes the schedule the root of a new stack; the home page's shortcut pushes it.
    auto nav = navigationController();
    return !nav || nav->rootViewController().get() == this;
}

void QArrangeViewController::didReceive(std::shared_ptr<WireModel> model, int tag) {
    keep(std::move(model), tag);
    tbList->reloadData();
    showEmptyState({});
}

std::shared_ptr<TableViewCell> QArrangeViewController::cellForRow(TableView& tv, IndexPath ip) {
    auto cell = std::dynamic_pointer_cast<QArrangeTableViewCell>(
        tv.dequeueReusableCell(QArrangeTableViewCell::kReuseIdentifier));
    if (!cell) cell = std::make_shared<QArrangeTableViewCell>();
    auto duty = itemAt(ip.row);
    cell->AddRow(duty.get(), dateStr);
    return cell;
}

}  // namespace busdesk
