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

}  // namespace busdesk
