#pragma once

#include <memory>

#include "platform/views/Label.h"
#include "platform/views/ViewController.h"
#include "screens/self_service/SubsidyListViewController.h"
#include "ui/SlideSwitchView.h"

namespace busdesk {

// The meal card ("个人就餐"): the employee's particulars and three tabs, recharges, purchases and
// subsidies, each asking once when first shown.
class SubsidyViewController : public ViewController, public SlideSwitchViewDelegate {
  public:
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    int numberOfTab(SlideSwitchView&) override { return 3; }
    std::shared_ptr<ViewController> viewOfTab(SlideSwitchView&, int index) override;
    void didselectTab(SlideSwitchView&, int index) override;

    std::shared_ptr<Label> userid;
    std::shared_ptr<Label> name;
    std::shared_ptr<Label> job;
    std::shared_ptr<Label> org;
    std::shared_ptr<SubsidyListViewController> vc1;
    std::shared_ptr<SubsidyListViewController> vc2;
    std::shared_ptr<SubsidyListViewController> vc3;
    std::shared_ptr<SlideSwitchView> slideSwitchView;

  private:
    void layout();
    std::vector<std::shared_ptr<Label>> captions_;
};

}  // namespace busdesk
