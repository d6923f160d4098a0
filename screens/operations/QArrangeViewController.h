#pragma once

#include <string>

#include "model/ArrangeInfoList.h"
#include "platform/Translation.h"
#include "screens/operations/QArrangeTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "配车排班": the employee's duty schedule of tomorrow (now + 86 400 s). An empty schedule shows no
// rows and no message.
class QArrangeViewController
    : public ResultListViewController<&ArrangeInfoList::ArrangeList, QArrangeTableViewCell> {
  public:
    void viewDidLoad() override;

    std::shared_ptr<ArrangeInfoList> arrange() const { return received; }
    // The run date asked for, "yyyy-MM-dd".
    std::string dateStr;

    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override;

  protected:
    std::string screenTitle() const override { return tr("配车排班"); }
    bool openedFromMenu() const override;
    std::string listIdentifier() const override { return "aTableView"; }
    Query query() const override { return OfficeQueries::roster(dateStr); }
    void didReceive(std::shared_ptr<WireModel> model, int requestTag) override;
};

}  // namespace busdesk
