#pragma once

#include <string>

#include "model/NormalList.h"
#include "platform/Translation.h"
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
    std::string screenTitle() const override { return tr("违规详情"); }
    Query query() const override { return OfficeQueries::violationDetails(buselfid, alertType, selectdate); }
};

}  // namespace busdesk
