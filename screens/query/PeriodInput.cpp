#include "screens/query/PeriodInput.h"

#include "core/PublicMethod.h"
#include "platform/LocalDate.h"
#include "platform/views/Palette.h"
#include "screens/query/DateRangeInput.h"

namespace busdesk {

namespace period_wheels {

std::shared_ptr<DatePicker> addDayWheel(View& parent, const std::string& identifier) {
    auto wheel = std::make_shared<DatePicker>(Rect{}, DatePickerMode::Date);
    wheel->setIdentifier(identifier);
    wheel->setDate(Date::now());
    parent.addSubview(wheel);
    return wheel;
}

std::shared_ptr<MonthPicker> addMonthWheel(View& parent, std::weak_ptr<MonthPickerDelegate> delegate) {
    auto wheel = std::make_shared<MonthPicker>();
    wheel->setIdentifier("monthPicker");
    wheel->setMinimumYear(kFirstYear);
    wheel->setMaximumYear(LocalDate::of(Date::now()).year + 1);
    wheel->setYearFirst(true);
    wheel->setDate(Date::now());
    wheel->setMonthPickerDelegate(std::move(delegate));
    parent.addSubview(wheel);
    return wheel;
}

}  // namespace period_wheels

namespace {
constexpr double kIndicatorSize = 16;
}  // namespace

ChoicePair::ChoicePair(View& parent, const Side& first, const Side& second, View::Action onFirst,
                       View::Action onSecond) {
    auto make = [&parent](const Side& side, View::Action onTap, std::shared_ptr<Button>& button,
                          std::shared_ptr<ImageView>& image) {
        image = std::make_shared<ImageView>();
        image->setIdentifier(side.imageIdentifier);
        image->setCornerRadius(kIndicatorSize / 2);
        parent.addSubview(image);
        button = std::make_shared<Button>(Rect{}, side.title);
        button->setIdentifier(side.action);
        button->setTitleColor(Color::of(ColorRole::Text));
        button->setTitleColor(Color::of(ColorRole::Accent), ControlState::Selected);
        button->addAction(std::move(onTap));
        parent.addSubview(button);
    };
    make(first, std::move(onFirst), firstButton, firstImage);
    make(second, std::move(onSecond), secondButton, secondImage);
    choose(true);
}

void ChoicePair::choose(bool first) {
    firstChosen_ = first;
    firstImage->setImageName(first ? "radio_on" : "radio_off");
    secondImage->setImageName(first ? "radio_off" : "radio_on");
    // The dot beside the chosen side is filled, the other one a grey ring.
    firstImage->setBackgroundColor(first ? Color::of(ColorRole::Accent) : Color::of(ColorRole::Separator));
    secondImage->setBackgroundColor(first ? Color::of(ColorRole::Separator) : Color::of(ColorRole::Accent));
    firstButton->setSelected(first);
    secondButton->setSelected(!first);
}

void ChoicePair::layout(Rect frame) {
    double half = frame.width / 2;
    double side = kIndicatorSize;
    double imageTop = frame.y + (frame.height - side) / 2;
    firstImage->setFrame({frame.x + 16, imageTop, side, side});
    firstButton->setFrame({frame.x + side + 20, frame.y, half - side - 24, frame.height});
    secondImage->setFrame({frame.x + half + 16, imageTop, side, side});
    secondButton->setFrame({frame.x + half + side + 20, frame.y, half - side - 24, frame.height});
}

PeriodInput::PeriodInput(View& parent, const ChoicePair::Side& daySide, const ChoicePair::Side& monthSide,
                         View::Action onDay, View::Action onMonth)
    : mode(parent, daySide, monthSide, std::move(onDay), std::move(onMonth)) {}

void PeriodInput::addWheels(View& parent, const std::string& dayWheelIdentifier,
                            std::weak_ptr<MonthPickerDelegate> monthDelegate) {
    dayWheel = period_wheels::addDayWheel(parent, dayWheelIdentifier);
    monthWheel = period_wheels::addMonthWheel(parent, std::move(monthDelegate));
    show(true);
}

void PeriodInput::show(bool day) {
    dayWheel->setHidden(!day);
    monthWheel->setHidden(day);
    mode.choose(day);
}

std::string PeriodInput::periodText(bool day) const {
    return day ? PublicMethod::getDateString(dayWheel->date(), query_dates::kDay)
               : PublicMethod::getDateString(monthWheel->date(), query_dates::kMonth);
}

void PeriodInput::layout(Rect choiceRow, Rect wheels) {
    mode.layout(choiceRow);
    dayWheel->setFrame(wheels);
    monthWheel->setFrame(wheels);
}

}  // namespace busdesk
