#pragma once

#include <optional>
#include <string>

#include "model/DssticketcostSumList.h"
#include "platform/Translation.h"
#include "screens/operations/ShouruDetTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "营收详情" of one driver (chosen in the summary) and month.
class ShouRuDetTableViewController
    : public ResultListViewController<&DssticketcostSumList::DssfuelcostList, ShouruDetTableViewCell> {
  public:
    std::string startTime;  // yyyy-MM
    std::optional<std::string> userId;

    std::shared_ptr<DssticketcostSumList> revenueList() const { return received; }

    void viewDidLoad() override;

  protected:
    std::string screenTitle() const override { return tr("营收详情"); }
    Query query() const override { return OfficeQueries::revenueOfDriver(userId, startTime); }
};

}  // namespace busdesk
