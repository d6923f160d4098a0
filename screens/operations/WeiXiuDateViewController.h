#pragma once

#include <memory>
#include <string>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "screens/query/DateRangeInput.h"

namespace busdesk {

// The vehicle and date range of a maintenance-plan ("车辆保养") or repair-order ("维修查询")
// query; `titleStr` is the menu row's title, which is also the query's tag.
class WeiXiuDateViewController : public ViewController {
  public:
    static constexpr const char* kTooLongText = N_("查询的天数不能超过31天！");

    std::string titleStr;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // The range rule on the fields as they stand; sets and returns canRequest.
    bool canRe();
    void ShowDetail();

    std::shared_ptr<TextField> tf_busNo;
    std::shared_ptr<DateRangeInput> range;
    std::shared_ptr<Button> btnShowDetail;
    bool canRequest = false;

  private:
    void layout();
    std::shared_ptr<Label> lblBus_, lblStart_, lblEnd_;
};

}  // namespace busdesk
