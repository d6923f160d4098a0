#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"
#include "screens/core/ScreenEntry.h"
#include "ui/ScrollingLabel.h"

namespace busdesk {

class NormalList;

// The home page: the newest announcements (at most five), the last refresh time and shortcuts.
class MainViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    static constexpr int kMaxRows = 5;
    static constexpr double kPullDelaySeconds = 2.0;
    // The scrolling line until the first answer names the newest announcement.
    static constexpr const char* kWelcomeText = "欢迎使用公交移动办公系统，安全行车，文明服务。";

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void viewWillAppear(bool animated) override;

    void refreshData(const std::string& page);

    // The shortcut buttons in order: showcheci, showPlan, showRule, showWeiGui, showRules.
    static std::vector<ScreenEntry> shortcutEntries();

    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override;
    double heightForRow(TableView&, IndexPath) override;
    void didSelectRow(TableView&, IndexPath ip) override;

    std::shared_ptr<NormalList> normalList;
    std::shared_ptr<TableView> aTableView;
    std::shared_ptr<Label> time;
    std::shared_ptr<ScrollingLabel> lblFirstNewsDetail;

  private:
    void layout();
    void openRow(int row);
    void openShortcut(const ScreenEntry& entry);
    std::vector<std::shared_ptr<Button>> shortcuts_;
};

}  // namespace busdesk
