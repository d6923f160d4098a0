#pragma once

#include <memory>
#include <string>

#include "platform/views/Button.h"
#include "platform/views/DatePicker.h"
#include "platform/views/ImageView.h"
#include "platform/views/View.h"
#include "ui/MonthPicker.h"

namespace busdesk {

// The wheels of the day-or-month query screens. Both start at now; the month wheel spans the
// years 2000 to next year with the year column first.
namespace period_wheels {
inline constexpr int kFirstYear = 2000;
// An inline date-only wheel at today.
std::shared_ptr<DatePicker> addDayWheel(View& parent, const std::string& identifier);
// "monthPicker", at this month, 2000 … next year, year first, reporting to `delegate`.
std::shared_ptr<MonthPicker> addMonthWheel(View& parent, std::weak_ptr<MonthPickerDelegate> delegate = {});
}  // namespace period_wheels

// Two buttons of which exactly one is chosen (day or month, oneself or everybody), each with an
// indicator image beside it ("radio_on" when chosen, "radio_off" otherwise).
class ChoicePair {
  public:
    struct Side {
        std::string action;  // the button's identifier
        std::string title;
        std::string imageIdentifier;
    };

    ChoicePair(View& parent, const Side& first, const Side& second, View::Action onFirst,
               View::Action onSecond);

    // Marks the first (true) or the second (false) as chosen.
    void choose(bool first);
    bool firstChosen() const { return firstChosen_; }
    void layout(Rect frame);

    std::shared_ptr<Button> firstButton, secondButton;
    std::shared_ptr<ImageView> firstImage, secondImage;

  private:
    bool firstChosen_ = true;
};

// A day or a month: the day / month choice pair and the two wheels, of which the chosen one
// shows. Starts on the day. The screen keeps its own day flag and names the buttons' actions.
class PeriodInput {
  public:
    // The choice pair; `onDay` and `onMonth` are the screen's actions, which call show().
    PeriodInput(View& parent, const ChoicePair::Side& daySide, const ChoicePair::Side& monthSide,
                View::Action onDay, View::Action onMonth);
    // The wheels, added apart from the pair so that a screen can put other rows in between.
    void addWheels(View& parent, const std::string& dayWheelIdentifier,
                   std::weak_ptr<MonthPickerDelegate> monthDelegate = {});

    // Shows the day wheel (true) or the month wheel (false) and marks its button.
    void show(bool day);
    // The chosen wheel's date as the queries send it: "yyyy-MM-dd" or "yyyy-MM".
    std::string periodText(bool day) const;
    void layout(Rect choiceRow, Rect wheels);

    ChoicePair mode;
    std::shared_ptr<DatePicker> dayWheel;
    std::shared_ptr<MonthPicker> monthWheel;
};

}  // namespace busdesk
