#include "screens/query/PeriodInput.h"

#include "ui/LocalDate.h"

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

ChoicePair::ChoicePair(View& parent, const Side& first, const Side& second, View::Action onFirst,
                       View::Action onSecond) {
    auto make = [&parent](const Side& side, View::Action onTap, std::shared_ptr<Button>& button,
                          std::shared_ptr<ImageView>& image) {
        image = std::make_shared<ImageView>();
        image->setIdentifier(side.imageIdentifier);
        parent.addSubview(image);
        button = std::make_shared<Button>(Rect{}, side.title);
        button->setIdentifier(side.action);
        button->setTitleColor(Color::white(0.2));
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
    firstButton->setSelected(first);
    secondButton->setSelected(!first);
}

void ChoicePair::layout(Rect frame) {
    double half = frame.width / 2;
    double side = 20;
    double imageTop = frame.y + (frame.height - side) / 2;
    firstImage->setFrame({frame.x, imageTop, side, side});
    firstButton->setFrame({frame.x + side + 4, frame.y, half - side - 8, frame.height});
    secondImage->setFrame({frame.x + half, imageTop, side, side});
    secondButton->setFrame({frame.x + half + side + 4, frame.y, half - side - 8, frame.height});
}

}  // namespace busdesk
