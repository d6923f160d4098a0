#pragma once

#include <optional>
#include <string>

#include "model/MileDriverList.h"
#include "screens/operations/LichDetTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "里程详情": the drivers' mileage of a day (tag 7, Query_BusdaymileInfoOnedayByDriver, for the
// employee or everybody) or one driver's days of a month (tag 9, Query_BusdaymileInfoByDriver,
// asked with the driver as EmpID).
class LiChengDetTableViewController
    : public ResultListViewController<&MileDriverList::List, LichDetTableViewCell> {
  public:
    static constexpr int kDayTag = 7;
    static constexpr int kDriverTag = 9;

    int tag = kDayTag;
    std::string startTime;
    bool all = false;
    std::optional<std::string> driverID;

    std::shared_ptr<MileDriverList> mileDriverList() const { return received; }

  protected:
    std::string screenTitle() const override { return "里程详情"; }
    void addParameters(boost::json::object& params) const override;
    void send(boost::json::object params, Delivered ok, Failed fail) override {
        sendSearchNum(tag, std::move(params), std::move(ok), std::move(fail));
    }
};

}  // namespace busdesk
