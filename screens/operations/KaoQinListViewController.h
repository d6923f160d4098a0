#pragma once

#include <string>

#include "model/NormalList.h"
#include "screens/operations/KaoQinCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// The attendance records of a date range ("考勤", Query_FdisempdutyInfo).
class KaoQinListViewController : public ResultListViewController<&NormalList::List, KaoQinCell> {
  public:
    std::string bDate;
    std::string eDate;

    std::shared_ptr<NormalList> normalList() const { return received; }

  protected:
    std::string screenTitle() const override { return "考勤信息详情"; }
    void addParameters(boost::json::object& params) const override {
        params["StartTime"] = bDate;
        params["EndTime"] = eDate;
    }
    void send(boost::json::object params, Delivered ok, Failed fail) override {
        sendSearch("考勤", std::move(params), std::move(ok), std::move(fail));
    }
    void configureList(TableView& list) override { list.setTableHeaderView(std::make_shared<View>()); }
};

}  // namespace busdesk
