#pragma once

#include <string>

#include "model/MileDriverList.h"
#include "screens/operations/LichListTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// Mileage of a month per driver (tag 8, Query_BusdaymileSUMByDriver), "里程汇总"; a row opens that
// driver's days of the month.
class LiChengListViewController
    : public ResultListViewController<&MileDriverList::List, LichListTableViewCell> {
  public:
    std::string startTime;  // yyyy-MM
    bool all = false;

    std::shared_ptr<MileDriverList> mileDriverList() const { return received; }

    bool shouldHighlightRow(TableView&, IndexPath) override { return true; }
    void didSelectRow(TableView& tv, IndexPath ip) override;

  protected:
    std::string screenTitle() const override { return "里程汇总"; }
    void addParameters(boost::json::object& params) const override {
        params["all"] = all ? "1" : "0";
        params["StartTime"] = startTime;
    }
    void send(boost::json::object params, Delivered ok, Failed fail) override {
        sendSearchNum(8, std::move(params), std::move(ok), std::move(fail));
    }
};

}  // namespace busdesk
