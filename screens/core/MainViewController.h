#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "screens/core/BulletinListViewController.h"
#include "screens/core/ScreenEntry.h"
#include "ui/ScrollingLabel.h"

namespace busdesk {

// The home page: the newest announcements (at most five), the last refresh time and shortcuts.
class MainViewController : public BulletinListViewController {
  public:
    static constexpr int kMaxRows = 5;
    static constexpr double kPullDelaySeconds = 2.0;
    // The scrolling line until the first answer names the newest announcement.
    static constexpr const char* kWelcomeText = N_("欢迎使用公交移动办公系统，安全行车，文明服务。");

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // Also stamps the refresh label with the moment of asking, whatever the answer.
    void refreshData(int page) override;

    // The shortcut buttons in order: showcheci, showPlan, showRule, showWeiGui, showRules.
    static std::vector<ScreenEntry> shortcutEntries();

    std::shared_ptr<TableView> aTableView;
    std::shared_ptr<Label> time;
    std::shared_ptr<ScrollingLabel> lblFirstNewsDetail;

  protected:
    TableView& bulletinList() override { return *aTableView; }
    std::size_t rowCount() const override;
    std::shared_ptr<NormalInfo> rowAt(std::size_t row) const override;
    void received(const std::shared_ptr<NormalList>& answer, int page) override;
    bool showsDates() const override { return false; }

  private:
    void layout();
    void openShortcut(const ScreenEntry& entry);
    std::vector<std::shared_ptr<Button>> shortcuts_;
};

}  // namespace busdesk
