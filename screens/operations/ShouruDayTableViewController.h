#pragma once

#include <string>

#include "model/DssticketcostSumList.h"
#include "screens/operations/ShouruDayTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "营收详情" of one day (tag 4, Query_DssticketreceiptInfoOneday). This query alone is asked with
// the remembered login name as EmpID: else the card typed at this run's login, else no EmpID.
class ShouruDayTableViewController
    : public ResultListViewController<&DssticketcostSumList::DssfuelcostList, ShouruDayTableViewCell> {
  public:
    std::string startTime;  // yyyy-MM-dd
    bool all = false;

    std::shared_ptr<DssticketcostSumList> revenueList() const { return received; }

  protected:
    std::string screenTitle() const override { return "营收详情"; }
    void addParameters(boost::json::object& params) const override;
    void send(boost::json::object params, Delivered ok, Failed fail) override {
        sendSearchNum(4, std::move(params), std::move(ok), std::move(fail));
    }
};

}  // namespace busdesk
