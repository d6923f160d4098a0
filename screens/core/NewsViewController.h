#pragma once

#include <memory>
#include <vector>

#include "model/NormalInfo.h"
#include "model/WireModelArray.h"
#include "screens/core/BulletinListViewController.h"

namespace busdesk {

// The paged list of announcements (tag 2) or regulations (tag 3).
class NewsViewController : public BulletinListViewController {
  public:
    static constexpr double kGestureDelaySeconds = 2.0;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    int page = 0;
    // The rows of every page loaded so far, mapped when a cell or the detail first reads them.
    std::size_t rowCount() const override;
    std::shared_ptr<NormalInfo> rowAt(std::size_t row) const override;
    std::vector<WireModelArray<NormalInfo>> pages;
    std::shared_ptr<TableView> tbList;

  protected:
    TableView& bulletinList() override { return *tbList; }
    void received(const std::shared_ptr<NormalList>& answer, int page) override;
    void failed(int page) override;
};

}  // namespace busdesk
