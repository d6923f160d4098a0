#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/Date.h"
#include "platform/LocalDate.h"
#include "platform/views/Button.h"

namespace busdesk {

class CalendarView;

class CalendarViewDelegate {
  public:
    virtual ~CalendarViewDelegate() = default;
    // `month` is 1…12; `targetHeight` the height the grid needs for that month.
    virtual void calendarViewSwitchedToMonth(CalendarView&, int month, double targetHeight, bool animated) {
        (void)month, (void)targetHeight, (void)animated;
    }
    virtual void calendarViewDateSelected(CalendarView&, Date date) { (void)date; }
};

// One month as a grid of weeks (Sunday first). Each day of the month is a Button titled with its
// number and identified "day", so a script taps "15" or "#day@15".
class CalendarView : public View {
  public:
    static constexpr const char* kMarkColor = "0x383838";
    static constexpr double kHeaderHeight = 60;
    static constexpr double kRowHeight = 44;

    using MarkItem = std::variant<int, Date>;

    explicit CalendarView(Rect frame = {0, 0, 320, 0});

    // Setting the delegate tells it the month shown, so it can mark that month's days.
    void setDelegate(std::weak_ptr<CalendarViewDelegate> d);

    LocalDate currentMonth() const { return month_; }
    std::optional<Date> selectedDate() const { return selected_; }
    void showNextMonth();
    void showPreviousMonth();
    // Shows the date's month if needed and selects the day; no dateSelected call.
    void selectDate(Date date);
    // Back to today's month, nothing selected, no marks.
    void reset();
    // Marks replace the previous ones; ints are days of the shown month, dates count only when they
    // fall in it. Invalid days are ignored.
    void markDates(const std::vector<MarkItem>& items);
    void markDates(const std::vector<MarkItem>& items, const std::vector<Color>& colors);
    // Day of month → dot colour.
    const std::map<int, Color>& marks() const { return marks_; }
    int numberOfWeeks() const;
    double targetHeight() const { return kHeaderHeight + kRowHeight * numberOfWeeks(); }

    // As the user tapping a day of the shown month.
    bool userSelectDay(int day);

    // The dump prints the month line, then the month as a grid under the weekday names, so a
    // reader sees which day a number is: "[7]" chosen, "(7)" today, "5*" marked.
    bool dump(DumpWriter& out) const override;
    std::vector<std::string> gridLines() const;

  private:
    void showMonth(LocalDate m, bool animated);
    void rebuild();
    LocalDate month_;
    std::optional<Date> selected_;
    std::map<int, Color> marks_;
    std::weak_ptr<CalendarViewDelegate> delegate_;
};

}  // namespace busdesk
