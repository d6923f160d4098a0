#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "ui/MonthPicker.h"

namespace busdesk {

// Vehicle material requisition ("车辆领料"): a vehicle and a month, then a summary per vehicle.
// The chosen month is held for the whole application and follows the wheel one second after
// each change, so a query pressed within that second still asks for the month before.
class CheliangLingLiaoViewController : public ViewController, public MonthPickerDelegate {
  public:
    static constexpr auto kMonthUpdateDelay = std::chrono::seconds(1);

    // The selected month, "yyyy-MM"; outlives the screen, reset when the screen loads.
    static std::string& selectedMonth();

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;
    void monthPickerDidChangeDate(MonthPicker& picker) override;

    void search();

    std::shared_ptr<MonthPicker> monthPicker;
    std::shared_ptr<TextField> tf_busNo;
    std::shared_ptr<Button> btnSearch;

  private:
    void layout();
    std::shared_ptr<Label> lblBus_, lblMonth_;
};

}  // namespace busdesk
