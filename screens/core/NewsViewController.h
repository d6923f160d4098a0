#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/NormalInfo.h"
#include "model/WireModelArray.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"

namespace busdesk {

class NormalList;

// The paged list of announcements (tag 2) or regulations (tag 3).
class NewsViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    static constexpr double kGestureDelaySeconds = 2.0;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    void refreshData(const std::string& page);

    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override;
    double heightForRow(TableView&, IndexPath) override;
    void didSelectRow(TableView&, IndexPath ip) override;

    int tag = 2;
    int page = 0;
    // The rows of every page loaded so far, mapped when a cell or the detail first reads them.
    std::size_t rowCount() const;
    std::shared_ptr<NormalInfo> rowAt(std::size_t row) const;
    std::vector<WireModelArray<NormalInfo>> pages;
    std::shared_ptr<NormalList> normalList;
    std::shared_ptr<TableView> tbList;

  private:
    void openRow(int row);
};

}  // namespace busdesk
