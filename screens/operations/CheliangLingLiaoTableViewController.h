#pragma once

#include <string>

#include "model/NormalList.h"
#include "platform/Translation.h"
#include "screens/operations/CheliangLingLiaoCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// Material cost of a month per vehicle, titled "领料列表（yyyy-MM）";
// a row opens that vehicle's requisitions of the month.
class CheliangLingLiaoTableViewController
    : public ResultListViewController<&NormalList::List, CheliangLingLiaoCell> {
  public:
    std::string selectDate;  // yyyy-MM
    std::string busNo;

    std::shared_ptr<NormalList> normalList() const { return received; }

    bool shouldHighlightRow(TableView&, IndexPath) override { return true; }
    void didSelectRow(TableView& tv, IndexPath ip) override;

  protected:
    std::string screenTitle() const override { return trFormat("领料列表（%1）", {selectDate}); }
    Query query() const override { return OfficeQueries::materialSummary(busNo, selectDate); }
};

}  // namespace busdesk
