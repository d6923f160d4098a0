#pragma once

#include <optional>
#include <string>

#include "model/DssticketcostSumList.h"
#include "screens/operations/ShouruDetTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "营收详情" of one driver and month (tag 6, Query_DssticketreceiptInfo, the driver as EmpID).
class ShouRuDetTableViewController
    : public ResultListViewController<&DssticketcostSumList::DssfuelcostList, ShouruDetTableViewCell> {
  public:
    std::string startTime;  // yyyy-MM
    std::optional<std::string> userId;

    std::shared_ptr<DssticketcostSumList> revenueList() const { return received; }

    void viewDidLoad() override;

  protected:
    std::string screenTitle() const override { return "营收详情"; }
    void addParameters(boost::json::object& params) const override;
    void send(boost::json::object params, Delivered ok, Failed fail) override {
        sendSearchNum(6, std::move(params), std::move(ok), std::move(fail));
    }
};

}  // namespace busdesk
