#pragma once

#include <memory>
#include <string>

#include "model/DisplanDetailInfoArray.h"
#include "model/NosendDisplanList.h"
#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/ImageView.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// "运营情况": today's plan with its totals on the first tab, tomorrow's trips not yet dispatched on
// the second. One section per trip; pull-to-refresh asks again for the tab shown. Each answer is
// kept as the model of the tab that asked for it, and the rows always come from the tab selected.
class PlanViewController : public QueryListViewController {
  public:
    static constexpr int kTodayTab = 0;
    static constexpr int kTomorrowTab = 1;
    static constexpr double kTabHeight = 40;
    static constexpr double kPullDelaySeconds = 2.0;
    static constexpr const char* kNoPlanText = N_("暂无数据！");

    void viewDidLayoutSubviews() override;

    // The tab buttons: select the tab and ask for it.
    void tplanPressed();
    void tmplanPressed();

    int btnTag = kTodayTab;
    std::shared_ptr<DisplanDetailInfoArray> displanDetailInfoArray;
    std::shared_ptr<NosendDisplanList> nosendDisplanList;
    std::shared_ptr<Button> tplan;
    std::shared_ptr<Button> tmplan;
    std::shared_ptr<ImageView> selectimg;
    std::shared_ptr<TableView>& tbPlan = tbList;

    // Trips of the tab now selected.
    std::size_t tripCount() const;

    int numberOfSections(TableView&) override;
    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override;
    double heightForRow(TableView&, IndexPath ip) override;
    double heightForHeader(TableView&, int section) override;
    std::shared_ptr<View> viewForHeader(TableView&, int section) override;

  protected:
    std::string screenTitle() const override { return tr("运营情况"); }
    bool openedFromMenu() const override;
    std::string listIdentifier() const override { return "tbPlan"; }
    int requestTag() const override { return btnTag; }
    void send(Delivered ok, Failed fail, Stored stored) override;
    std::size_t keep(std::shared_ptr<WireModel> model, int requestTag) override;
    void configureList(TableView& list) override;
    void didReceive(std::shared_ptr<WireModel> model, int requestTag) override;

  private:
    void selectTab(int tag);
    void placeMarker();
};

}  // namespace busdesk
