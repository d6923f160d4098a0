#include "platform/views/DatePicker.h"

#include "platform/DateFormat.h"
#include "platform/LocalDate.h"
#include "platform/views/DumpWriter.h"

namespace busdesk {

DatePicker::DatePicker(Rect frame, DatePickerMode mode) : View(frame), mode_(mode), date_(Date::now()) {}

void DatePicker::setMode(DatePickerMode m) {
    mode_ = m;
    notifyChanged(ViewChange::Content);
}

Date DatePicker::clamp(Date d) const {
    if (min_ && d < *min_) d = *min_;
    if (max_ && d > *max_) d = *max_;
    return d;
}

void DatePicker::setDate(Date d, bool animated) {
    (void)animated;
    d = clamp(d);
    if (d == date_) return;
    date_ = d;
    notifyChanged(ViewChange::State);
}

void DatePicker::setMinimumDate(std::optional<Date> d) {
    min_ = d;
    setDate(date_);
}

void DatePicker::setMaximumDate(std::optional<Date> d) {
    max_ = d;
    setDate(date_);
}

void DatePicker::userSetDate(Date d) {
    auto keep = weak_from_this().lock();
    setDate(d);
    if (onChange_) onChange_(*this);
}

namespace {
const char* patternFor(DatePickerMode mode) {
    return mode == DatePickerMode::Date   ? "yyyy-MM-dd"
           : mode == DatePickerMode::Time ? "HH:mm"
                                          : "yyyy-MM-dd HH:mm";
}
}  // namespace

bool DatePicker::dump(DumpWriter& out) const {
    out.line(DumpWriter::head("datepicker", *this) + ": " + formatDate(date_, patternFor(mode_)));
    return false;
}

std::string DatePicker::accessibleName() const {
    return accessibilityLabel().empty() ? formatDate(date_, patternFor(mode_)) : accessibilityLabel();
}

bool DatePicker::userKey(const KeyEvent& key) {
    if (key.shift || (key.key != Key::Up && key.key != Key::Down)) return false;
    int step = key.key == Key::Down ? 1 : -1;
    if (mode_ == DatePickerMode::Time || mode_ == DatePickerMode::CountDownTimer) {
        userSetDate(date_.addingSeconds(60.0 * step));
        return true;
    }
    // A calendar day, keeping the time of day (a day is not always 24 hours long).
    LocalDate day = LocalDate::of(date_);
    double intoDay = date_.secondsSince1970 - day.toDate().secondsSince1970;
    userSetDate(day.addingDays(step).toDate().addingSeconds(intoDay));
    return true;
}

}  // namespace busdesk
