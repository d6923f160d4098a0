#pragma once

#include <memory>
#include <optional>

#include "platform/views/Button.h"
#include "platform/views/DatePicker.h"
#include "platform/views/ViewController.h"
#include "screens/query/PeriodInput.h"
#include "ui/MonthPicker.h"

namespace busdesk {

// Mileage ("里程情况", islicheng) or revenue ("营收情况") statistics: a day or a month, for the
// employee alone or for everybody.
class ShowRuViewController : public ViewController, public MonthPickerDelegate {
  public:
    bool islicheng = false;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    void dayAction();
    void monthAction();
    void onePerBtn();
    void sumPerBtn();
    void search();

    bool day = true;
    bool onePer = true;
    // dayAction / monthAction with dayImg / monthImg over the wheels dayPicker / monthPicker.
    std::optional<PeriodInput> period;
    std::shared_ptr<DatePicker> dayPicker;
    std::shared_ptr<MonthPicker> monthPicker;
    std::optional<ChoicePair> scope;  // onePerBtn / sumPerBtn with onePerImg / sumPerImg
    std::shared_ptr<Button> btnSearch;

  private:
    void layout();
};

}  // namespace busdesk
