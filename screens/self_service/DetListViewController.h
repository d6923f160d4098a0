#pragma once

#include <string>

#include "model/SuggestList.h"
#include "platform/Translation.h"
#include "screens/query/QueryListViewController.h"
#include "screens/self_service/DetListTableViewCell.h"

namespace busdesk {

// The employee's earlier suggestions with the company's answers ("意见列表"); a picture opens the
// image browser "图片预览" on the row's pictures.
class DetListViewController : public ResultListViewController<&SuggestList::List, DetListTableViewCell> {
  public:
    static constexpr const char* kBrowserTitle = N_("图片预览");

    double heightForRow(TableView&, IndexPath ip) override;
    // Pushes the browser over the row's pictures, starting at `index`.
    void showPictures(int row, int index);

  protected:
    std::string screenTitle() const override { return tr("意见列表"); }
    bool hidesListUntilRows() const override { return true; }
    Query query() const override { return OfficeQueries::suggestions(); }
    void prepareCell(DetListTableViewCell& cell, int row) override;
};

}  // namespace busdesk
