#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/SubsidyRechargeList.h"
#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "screens/query/QueryListViewController.h"
#include "screens/self_service/SubdityDetTableViewCell.h"

namespace busdesk {

// One tab of the meal card: the records of one kind (0 recharges, 1 purchases, 2 subsidies) over
// a date range of at most 31 days. It asks the first time it is shown and after each accepted end
// date; an empty answer leaves the rows shown before.
class SubsidyListViewController
    : public ResultListViewController<&SubsidyRechargeList::listArr, SubdityDetTableViewCell> {
  public:
    static constexpr const char* kHint = N_("提示：查询的时间段不能超过31天");
    static constexpr const char* kTooLongText = N_("查询的天数不能超过31天！");

    SubsidyListViewController(std::string title, int tag);

    void viewDidLoad() override;
    // The tab became the visible one.
    void viewDidCurrentView();

    void chooseStartTime();
    void chooseEndTime();
    // After either date was picked: the range checked, then asked for.
    void rangeChanged();

    int tag;
    bool firstDisplay = false;
    std::shared_ptr<Button> btnStartTime;
    std::shared_ptr<Button> btnEndTime;

  protected:
    std::string screenTitle() const override { return title(); }
    bool showsTitleBar() const override { return false; }
    bool requestsOnLoad() const override { return false; }
    void configureList(TableView& list) override;
    Query query() const override;
    std::size_t keep(std::shared_ptr<WireModel> model, int requestTag) override;
    void prepareCell(SubdityDetTableViewCell& cell, int) override { cell.setKind(tag); }
};

}  // namespace busdesk
