#pragma once

#include <optional>
#include <string>

#include "model/MileDriverList.h"
#include "platform/Translation.h"
#include "screens/operations/LichDetTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "里程详情": the drivers' mileage of a day (tag 7, for the employee or everybody) or one driver's
// days of a month (tag 9).
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
    std::string screenTitle() const override { return tr("里程详情"); }
    Query query() const override;
};

}  // namespace busdesk
