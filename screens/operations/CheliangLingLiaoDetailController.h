#pragma once

#include <string>

#include "model/NormalList.h"
#include "platform/Translation.h"
#include "screens/operations/CheliangLingLiaoDetailCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// One vehicle's material requisitions of a month, titled
// "领料详情（yyyy-MM）".
class CheliangLingLiaoDetailController
    : public ResultListViewController<&NormalList::List, CheliangLingLiaoDetailCell> {
  public:
    std::string selectDate;  // yyyy-MM
    std::string busNo;

    std::shared_ptr<NormalList> normalList() const { return received; }

  protected:
    std::string screenTitle() const override { return trFormat("领料详情（%1）", {selectDate}); }
    Query query() const override { return OfficeQueries::materialRecords(busNo, selectDate); }
};

}  // namespace busdesk
