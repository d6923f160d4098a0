#include "screens/query/DateRangeInput.h"

#include "core/PublicMethod.h"
#include "platform/Calendar.h"
#include "platform/Log.h"
#include "platform/Translation.h"
#include "platform/views/WeakCallback.h"
#include "ui/DatePickerSheet.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace query_dates {
std::string today() {
    return PublicMethod::getDateString(Date::now(), kDay);
}
std::string firstOfMonth() {
    return PublicMethod::getDateString(Date::now(), kFirstOfMonth);
}
std::string tomorrow() {
    return PublicMethod::getDateString(Date::now().addingSeconds(86400), kDay);
}
}  // namespace query_dates

bool queryRangeAllowed(std::string_view start, std::string_view end) {
    auto from = PublicMethod::getDateFromString(start, query_dates::kDay);
    auto to = PublicMethod::getDateFromString(end, query_dates::kDay);
    // A field that is not a date never reaches the calendar: it fails the rule.
    if (!from || !to) return false;
    DateComponents d = calendarDifference(*from, *to);
    Log::line("Difference in date components: " + std::to_string(d.days) + "/" + std::to_string(d.months) +
              "/" + std::to_string(d.years));
    return d.years == 0 && d.months == 0 && d.days <= 31;
}

std::shared_ptr<DateRangeInput> DateRangeInput::addTo(View& parent) {
    auto input = std::make_shared<DateRangeInput>();
    auto makeField = [&](const char* id, const std::string& text) {
        auto field = std::make_shared<TextField>();
        field->setIdentifier(id);
        field->setText(text);
        field->setDelegate(input);
        field->setOpensChooser(true);
        parent.addSubview(field);
        return field;
    };
    input->tf_Btime = makeField("tf_Btime", query_dates::firstOfMonth());
    input->tf_Etime = makeField("tf_Etime", query_dates::today());
    std::weak_ptr<DateRangeInput> weak = input;
    auto makeButton = [&](const char* id, void (DateRangeInput::*show)()) {
        auto button = std::make_shared<Button>();
        button->setIdentifier(id);
        // A tap target laid over its field; a screen reader presses the field, which does the same.
        button->setAccessibilityHidden(true);
        button->addAction(
            whileAlive<DateRangeInput>(weak, [show](DateRangeInput& self, View&) { (self.*show)(); }));
        parent.addSubview(button);
        return button;
    };
    input->btnBtime = makeButton("ShowBtime", &DateRangeInput::ShowBtime);
    input->btnEtime = makeButton("ShowEtime", &DateRangeInput::ShowEtime);
    return input;
}

void DateRangeInput::layout(Rect start, Rect end) {
    tf_Btime->setFrame(start);
    btnBtime->setFrame(start);
    tf_Etime->setFrame(end);
    btnEtime->setFrame(end);
}

bool DateRangeInput::check(View& view) const {
    if (tf_Btime->text().empty()) {
        screen::setAlertInfo(tr(kNoStartText), view);
        return false;
    }
    if (tf_Etime->text().empty()) {
        screen::setAlertInfo(tr(kNoEndText), view);
        return false;
    }
    return true;
}

void DateRangeInput::ShowBtime() {
    showPicker(tf_Btime, tr(kStartTitle));
}

void DateRangeInput::ShowEtime() {
    showPicker(tf_Etime, tr(kEndTitle));
}

bool DateRangeInput::textFieldShouldBeginEditing(TextField& field) {
    // The fields take no keyboard: a tap opens the date sheet instead.
    if (&field == tf_Btime.get()) ShowBtime();
    if (&field == tf_Etime.get()) ShowEtime();
    return false;
}

void DateRangeInput::showPicker(const std::shared_ptr<TextField>& field, const char* title) {
    // Unreadable text opens the sheet at now instead of handing a bad date to the wheel.
    Date selected = PublicMethod::getDateFromString(field->text(), query_dates::kDay).value_or(Date::now());
    std::weak_ptr<TextField> target = field;
    DatePickerSheet::showPickerWithTitle(
        title, DatePickerMode::Date, selected, weak_from_this(),
        [target](Date picked, View*) {
            if (auto f = target.lock()) f->setText(PublicMethod::getDateString(picked, query_dates::kDay));
        },
        field);
}

}  // namespace busdesk
