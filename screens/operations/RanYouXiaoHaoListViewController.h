#pragma once

#include <string>

#include "model/NormalList.h"
#include "platform/Translation.h"
#include "screens/operations/RanYouListCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// Fuel of a month per vehicle, titled "统计（yyyy-MM）"; each row's
// detail button opens that vehicle's records of the month.
class RanYouXiaoHaoListViewController : public ResultListViewController<&NormalList::List, RanYouListCell> {
  public:
    std::string selectDate;  // yyyy-MM
    std::string busNo;

    std::shared_ptr<NormalList> normalList() const { return received; }

    // The detail button of row `tag`.
    void showDetail(int tag);

  protected:
    std::string screenTitle() const override { return trFormat("统计（%1）", {selectDate}); }
    Query query() const override { return OfficeQueries::fuelSummary(busNo, selectDate); }
    void prepareCell(RanYouListCell& cell, int row) override;
};

}  // namespace busdesk
