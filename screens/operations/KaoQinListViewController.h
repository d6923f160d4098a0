#pragma once

#include <string>

#include "model/NormalList.h"
#include "platform/Translation.h"
#include "screens/operations/KaoQinCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// The attendance records of a date range.
class KaoQinListViewController : public ResultListViewController<&NormalList::List, KaoQinCell> {
  public:
    std::string bDate;
    std::string eDate;

    std::shared_ptr<NormalList> normalList() const { return received; }

  protected:
    std::string screenTitle() const override { return tr("考勤信息详情"); }
    Query query() const override { return OfficeQueries::attendance(bDate, eDate); }
    void configureList(TableView& list) override { list.setTableHeaderView(std::make_shared<View>()); }
};

}  // namespace busdesk
