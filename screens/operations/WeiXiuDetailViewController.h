#pragma once

#include <string>

#include "model/NormalList.h"
#include "screens/operations/BaoyangDetailCell.h"
#include "screens/operations/WeiXiuDetailCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// Maintenance plans ("车辆保养") or repair orders ("维修查询", titled "维修详情") of one vehicle
// over a date range. The list stays hidden until rows arrive.
class WeiXiuDetailViewController : public ResultListViewController<&NormalList::List, BaoyangDetailCell> {
  public:
    std::string titleStr;
    std::string busNo;
    std::string bDate;
    std::string eDate;
    // false: maintenance rows; true: repair rows.
    bool istag = false;

    std::shared_ptr<NormalList> normalList() const { return received; }

    void viewDidLoad() override;
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override;
    double heightForRow(TableView& tv, IndexPath ip) override;

  protected:
    std::string screenTitle() const override;
    bool hidesListUntilRows() const override { return true; }
    Query query() const override;
};

}  // namespace busdesk
