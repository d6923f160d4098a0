#pragma once

#include <functional>
#include <memory>

#include "platform/Date.h"
#include "platform/views/DatePicker.h"
#include "ui/PickerSheet.h"

namespace busdesk {

// A date wheel in a sheet. Done closes the sheet and then calls the target's action with the
// selected date and the origin, only while the target is alive; Cancel closes without a call.
// Custom buttons carry a Date as value: pressing one moves the wheel there (the sheet stays open);
// a value that is not a Date leaves the wheel where it is.
class DatePickerSheet : public PickerSheet {
  public:
    using Action = std::function<void(Date selectedDate, View* origin)>;

    DatePickerSheet(std::string title, DatePickerMode mode, Date selectedDate, std::weak_ptr<void> target,
                    Action action, std::weak_ptr<View> origin);

    static std::shared_ptr<DatePickerSheet> showPickerWithTitle(std::string title, DatePickerMode mode,
                                                                Date selectedDate, std::weak_ptr<void> target,
                                                                Action action, std::weak_ptr<View> origin);

    Date selectedDate() const { return selected_; }
    DatePicker& datePicker() { return *picker_; }

    // "yyyy-MM-dd" (or "yyyy-MM-dd HH:mm" for date-and-time).
    bool pickValue(const std::string& value) override;

  protected:
    std::shared_ptr<View> pickerView() override { return picker_; }
    void notifyDone() override;
    void customButtonPressed(const CustomButton& button) override;
    std::string describeValue() const override;

  private:
    std::shared_ptr<DatePicker> picker_;
    Date selected_;
    std::weak_ptr<void> target_;
    Action action_;
};

}  // namespace busdesk
