#pragma once

#include <memory>
#include <optional>

#include "platform/views/Button.h"
#include "platform/views/DatePicker.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "screens/query/PeriodInput.h"
#include "ui/MonthPicker.h"

namespace busdesk {

// Fuel consumption ("燃料消耗"): a vehicle and a day (the day's records) or a month (a summary per
// vehicle). The vehicle field starts empty and is not remembered.
class RanYouXiaoHaoDateViewController : public ViewController, public TextFieldDelegate {
  public:
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    bool textFieldShouldReturn(TextField& field) override;

    void datBtn();
    void monthBtn();
    void search();

    bool day = true;
    std::shared_ptr<TextField> tf_BusNo;
    // datBtn / monthBtn with leftBtnImg / rigthBtnImg over the wheels datePicker / monthPicker.
    std::optional<PeriodInput> period;
    std::shared_ptr<DatePicker> datePicker;
    std::shared_ptr<MonthPicker> monthPicker;
    std::shared_ptr<Button> btnSearch;

  private:
    void layout();
    std::shared_ptr<Label> lblBus_;
};

}  // namespace busdesk
