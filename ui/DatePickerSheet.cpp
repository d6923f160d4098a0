#include "ui/DatePickerSheet.h"

#include "platform/DateFormat.h"

namespace busdesk {

DatePickerSheet::DatePickerSheet(std::string title, DatePickerMode mode, Date selectedDate,
                                 std::weak_ptr<void> target, Action action, std::weak_ptr<View> origin)
    : PickerSheet(std::move(title), std::move(origin)),
      selected_(selectedDate),
      target_(std::move(target)),
      action_(std::move(action)) {
    picker_ = std::make_shared<DatePicker>(Rect{}, mode);
    picker_->setIdentifier("datePicker");
    picker_->setDate(selectedDate);
    picker_->setChangeHandler([this](DatePicker& p) { selected_ = p.date(); });
}

std::shared_ptr<DatePickerSheet> DatePickerSheet::showPickerWithTitle(std::string title, DatePickerMode mode,
                                                                      Date selectedDate,
                                                                      std::weak_ptr<void> target,
                                                                      Action action,
                                                                      std::weak_ptr<View> origin) {
    auto sheet = std::make_shared<DatePickerSheet>(std::move(title), mode, selectedDate, std::move(target),
                                                   std::move(action), std::move(origin));
    sheet->showActionSheetPicker();
    return sheet;
}

bool DatePickerSheet::pickValue(const std::string& value) {
    auto d = parseDate(value, "yyyy-MM-dd");
    if (!d) d = parseDate(value, "yyyy-MM-dd HH:mm");
    if (!d) return false;
    picker_->userSetDate(*d);
    return true;
}

void DatePickerSheet::notifyDone() {
    auto target = target_.lock();
    if (!target || !action_) return;
    auto origin = this->origin();
    action_(selected_, origin.get());
}

void DatePickerSheet::customButtonPressed(const CustomButton& button) {
    if (auto* d = std::any_cast<Date>(&button.value)) {
        picker_->setDate(*d, true);
        selected_ = picker_->date();
    }
}

std::string DatePickerSheet::describeValue() const {
    return formatDate(selected_, picker_->mode() == DatePickerMode::Date ? "yyyy-MM-dd" : "yyyy-MM-dd HH:mm");
}

}  // namespace busdesk
