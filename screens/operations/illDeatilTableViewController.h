#pragma once

#include <string>

#include "model/NormalList.h"
#include "screens/operations/illDetTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "违规详情": the single violations of one vehicle and kind on one day.
class illDeatilTableViewController : public ResultListViewController<&NormalList::List, illDetTableViewCell> {
  public:
    std::string buselfid;
    std::string selectdate;
    std::string alertType;

    std::shared_ptr<NormalList> normalList() const { return received; }

  protected:
    std::string screenTitle() const override { return "违规详情"; }
    void addParameters(boost::json::object& params) const override {
        params["Buselfid"] = buselfid;
        params["Alerttype"] = alertType;
        params["StartTime"] = selectdate;
        params["EndTime"] = selectdate;
    }
    void send(boost::json::object params, Delivered ok, Failed fail) override {
        sendSearch("违规详情", std::move(params), std::move(ok), std::move(fail));
    }
};

}  // namespace busdesk
