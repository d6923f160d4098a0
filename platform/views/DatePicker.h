#pragma once

#include <functional>
#include <optional>

#include "platform/Date.h"
#include "platform/views/View.h"

namespace busdesk {

enum class DatePickerMode { Time, Date, DateAndTime, CountDownTimer };

// A date wheel. In Date mode the shown value is a day (the time of day is kept as given).
class DatePicker : public View {
  public:
    using ChangeHandler = std::function<void(DatePicker&)>;

    DatePicker() = default;
    explicit DatePicker(Rect frame, DatePickerMode mode = DatePickerMode::Date);

    DatePickerMode mode() const { return mode_; }
    void setMode(DatePickerMode m);
    Date date() const { return date_; }
    // Programmatic: clamped into the minimum/maximum, no callback.
    void setDate(Date d, bool animated = false);
    std::optional<Date> minimumDate() const { return min_; }
    void setMinimumDate(std::optional<Date> d);
    std::optional<Date> maximumDate() const { return max_; }
    void setMaximumDate(std::optional<Date> d);

    void setChangeHandler(ChangeHandler h) { onChange_ = std::move(h); }
    // As the user turning the wheels: sets (clamped) and calls the change handler.
    void userSetDate(Date d);

    // Up and Down: a day earlier or later (a minute for a time), as turning the wheels.
    bool acceptsKeyboardFocus() const override { return !accessibilityHidden(); }
    bool userKey(const KeyEvent& key) override;

    bool dump(DumpWriter& out) const override;
    // The label set, else the date chosen.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::Picker; }

  private:
    Date clamp(Date d) const;
    DatePickerMode mode_ = DatePickerMode::Date;
    Date date_{};
    std::optional<Date> min_, max_;
    ChangeHandler onChange_;
};

}  // namespace busdesk
