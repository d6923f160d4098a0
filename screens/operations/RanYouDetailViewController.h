#pragma once

#include <string>

#include "model/NormalList.h"
#include "platform/Translation.h"
#include "screens/operations/RanYouDetailCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// Fuel records of a day ("详情") or of one vehicle's month (titled with the vehicle).
class RanYouDetailViewController : public ResultListViewController<&NormalList::List, RanYouDetailCell> {
  public:
    std::string selectDate;  // yyyy-MM-dd or yyyy-MM
    std::string busNo;
    bool isday = false;

    std::shared_ptr<NormalList> normalList() const { return received; }

  protected:
    std::string screenTitle() const override { return isday ? tr("详情") : busNo; }
    Query query() const override { return OfficeQueries::fuelRecords(busNo, selectDate); }
};

}  // namespace busdesk
