#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "screens/operations/illListViewController.h"
#include "ui/CalendarView.h"

namespace busdesk {

// The day calendar of "完成车次" and "车辆违规" (`titleStr`): the user taps a day (remembered for
// the whole run of the application), types a vehicle number for violations, and queries.
class illegalViewController : public ViewController, public CalendarViewDelegate {
  public:
    static constexpr const char* kTripsTitle = illListViewController::kTripsTitle;
    static constexpr const char* kViolationsTitle = illListViewController::kViolationsTitle;
    static constexpr const char* kNoVehicleText = N_("请输入车号");

    // The day last tapped in a calendar screen, "yyyy-MM-dd"; empty until a day is tapped. It
    // outlives the screens; a query made before any tap asks for today without remembering it.
    static std::optional<std::string> rememberedDay();
    static void setRememberedDay(std::optional<std::string> day);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidLayoutSubviews() override;

    // The query button.
    void search();

    void calendarViewSwitchedToMonth(CalendarView&, int month, double targetHeight, bool animated) override;
    void calendarViewDateSelected(CalendarView&, Date date) override;

    bool isViolations() const { return titleStr == kViolationsTitle; }

    std::string titleStr;
    std::shared_ptr<CalendarView> calendar;
    // "将查询 yyyy-MM-dd": the day the query button asks for (the remembered day, else today).
    std::shared_ptr<Label> queryDay;
    std::shared_ptr<TextField> txt;
    std::shared_ptr<Label> alert;
    std::shared_ptr<Label> alertdet;
    std::shared_ptr<Button> btnSearch;

  private:
    void layout();
    void showQueryDay();
};

}  // namespace busdesk
