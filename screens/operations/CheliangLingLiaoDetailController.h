#pragma once

#include <string>

#include "model/NormalList.h"
#include "screens/operations/CheliangLingLiaoDetailCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// One vehicle's material requisitions of a month (tag 1, Query_StockbillInfo), titled
// "领料详情（yyyy-MM）".
class CheliangLingLiaoDetailController
    : public ResultListViewController<&NormalList::List, CheliangLingLiaoDetailCell> {
  public:
    std::string selectDate;  // yyyy-MM
    std::string busNo;

    std::shared_ptr<NormalList> normalList() const { return received; }

  protected:
    std::string screenTitle() const override { return "领料详情（" + selectDate + "）"; }
    void addParameters(boost::json::object& params) const override {
        params["Buselfid"] = busNo;
        params["StartTime"] = selectDate;
        params["EndTime"] = selectDate;
    }
    void send(boost::json::object params, Delivered ok, Failed fail) override {
        sendSearchNum(1, std::move(params), std::move(ok), std::move(fail));
    }
};

}  // namespace busdesk
