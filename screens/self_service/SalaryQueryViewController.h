#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/PickerView.h"
#include "platform/views/ViewController.h"

namespace busdesk {

// The salary month: a year wheel from 2004 to the last completed month's year and a month wheel
// of that year's paid months; the query button pushes the statement of the chosen month.
class SalaryQueryViewController : public ViewController {
  public:
    static constexpr int kFirstYear = 2004;

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // The year and month picked on the wheels, as the user's finger stops them.
    void pickYear(int year);
    void pickMonth(int month);
    void query();

    // The months offered for `year`: 1 … currentMonth − 1 in the current year, else 1 … 12.
    static std::vector<int> monthsOf(int year, int currentYear, int currentMonth);
    // "%d%d" for months above 9, else "%d0%d": 2014 and 3 give "201403".
    static std::string monthText(int year, int month);

    int currentYear = 0;
    int currentMonth = 0;
    int selectedYear = 0;
    int selectedMonth = 0;
    std::vector<int> years;
    std::vector<int> months;

    std::shared_ptr<PickerView> yearPicker;
    std::shared_ptr<PickerView> monthPicker;
    std::shared_ptr<Button> btnQuery;

  private:
    void prepare();
    void reloadMonths();
    void layout();
    std::shared_ptr<Label> lblYear_;
    std::shared_ptr<Label> lblMonth_;
};

}  // namespace busdesk
