#pragma once

#include <string>

#include "model/DssticketcostSumList.h"
#include "platform/Translation.h"
#include "screens/operations/ShouruDayTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "营收详情" of one day, for the employee or everybody.
class ShouruDayTableViewController
    : public ResultListViewController<&DssticketcostSumList::DssfuelcostList, ShouruDayTableViewCell> {
  public:
    std::string startTime;  // yyyy-MM-dd
    bool all = false;

    std::shared_ptr<DssticketcostSumList> revenueList() const { return received; }

  protected:
    std::string screenTitle() const override { return tr("营收详情"); }
    Query query() const override { return OfficeQueries::revenueOfDay(scopeOf(all), startTime); }
};

}  // namespace busdesk
