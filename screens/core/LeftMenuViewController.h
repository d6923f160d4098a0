#pragma once

#include <memory>
#include <vector>

#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"
#include "screens/core/LeftMenuBottomNarbarViewController.h"
#include "screens/core/ScreenEntry.h"

namespace busdesk {

// The feature list. Every row makes a fresh screen inside a new navigation controller as the
// shell's content.
class LeftMenuViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    // Shows a screen a row or button made; nothing happens while it is unset.
    OpenScreen openScreen;

    static constexpr double kRowHeight = 44;
    static constexpr double kBottomBarHeight = 40;

    // The 17 rows, in order.
    static std::vector<ScreenEntry> entries();

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override;
    void didSelectRow(TableView&, IndexPath ip) override;

    std::shared_ptr<TableView> tableView;
    std::shared_ptr<LeftMenuBottomNarbarViewController> lmbt;

  private:
    void layout();
    std::vector<ScreenEntry> entries_;
};

}  // namespace busdesk
