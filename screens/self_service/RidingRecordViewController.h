#pragma once

#include <string>

#include "model/RidingRecordList.h"
#include "platform/Translation.h"
#include "screens/query/QueryListViewController.h"
#include "screens/self_service/RidingRecordCell.h"

namespace busdesk {

// The rides paid with the employee's own bus card, asked by the card number (oneCardID).
class RidingRecordViewController
    : public ResultListViewController<&RidingRecordList::List, RidingRecordCell> {
  public:
    std::shared_ptr<RidingRecordList> data() const { return received; }

  protected:
    std::string screenTitle() const override { return tr("乘车记录"); }
    bool openedFromMenu() const override { return true; }
    Query query() const override { return OfficeQueries::rides(); }
};

}  // namespace busdesk
