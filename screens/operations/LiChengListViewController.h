#pragma once

#include <string>

#include "model/MileDriverList.h"
#include "platform/Translation.h"
#include "screens/operations/LichListTableViewCell.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// Mileage of a month per driver, "里程汇总"; a row opens that
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
    std::string screenTitle() const override { return tr("里程汇总"); }
    Query query() const override { return OfficeQueries::mileageSummary(scopeOf(all), startTime); }
};

}  // namespace busdesk
