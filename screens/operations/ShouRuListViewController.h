#pragma once

#include <string>

#include "model/DssticketcostSumList.h"
#include "platform/Translation.h"
#include "screens/operations/ShouRuCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// Revenue of a month per driver, "营收汇总"; each row's detail
// button opens that driver's revenue of the month.
class ShouRuListViewController
    : public ResultListViewController<&DssticketcostSumList::DssfuelcostList, ShouRuCell> {
  public:
    std::string startTime;  // yyyy-MM
    bool all = false;

    std::shared_ptr<DssticketcostSumList> revenueList() const { return received; }

    // The detail button of row `tag`.
    void showDetail(int tag);

  protected:
    std::string screenTitle() const override { return tr("营收汇总"); }
    Query query() const override { return OfficeQueries::revenueSummary(scopeOf(all), startTime); }
    void prepareCell(ShouRuCell& cell, int row) override;
};

}  // namespace busdesk
