#include "screens/query/QueryForm.h"

#include <algorithm>

#include "platform/views/Palette.h"
#include "platform/views/ViewController.h"

namespace busdesk::form {

std::shared_ptr<Label> caption(View& parent, const std::string& text) {
    auto label = std::make_shared<Label>();
    label->setText(text);
    label->setFontSize(16);
    label->setTextColor(Color::of(ColorRole::Text));
    parent.addSubview(label);
    return label;
}

std::shared_ptr<TextField> textField(View& parent, const std::string& identifier,
                                     const std::string& placeholder) {
    auto field = std::make_shared<TextField>();
    field->setIdentifier(identifier);
    field->setPlaceholder(placeholder);
    field->setReturnKeyType(ReturnKeyType::Done);
    parent.addSubview(field);
    return field;
}

std::shared_ptr<Button> queryButton(View& parent, const std::string& action, View::Action onTap,
                                    const std::string& title) {
    auto button = std::make_shared<Button>(Rect{}, title);
    button->setIdentifier(action);
    button->setTitleColor(Color::of(ColorRole::OnAccent));
    button->setBackgroundColor(Color::of(ColorRole::Accent));
    button->setCornerRadius(6);
    button->addAction(std::move(onTap));
    parent.addSubview(button);
    // A form's query is its screen's main action: Enter runs it.
    if (auto* screen = parent.owningViewController()) screen->setMainAction(button);
    return button;
}

Rows::Rows(View& parent, double top) : width_(std::max(0.0, parent.bounds().width)), y_(top) {}

Rect Rows::field(Label& caption) {
    caption.setFrame({20, y_, kCaptionWidth, kRowHeight});
    Rect frame{20 + kCaptionWidth, y_, std::max(0.0, width_ - 40 - kCaptionWidth), kRowHeight};
    y_ += kRowHeight + kGap;
    return frame;
}

Rect Rows::full(double height) {
    Rect frame{20, y_, std::max(0.0, width_ - 40), height};
    y_ += height + kGap;
    return frame;
}

Rect Rows::button() {
    Rect frame{20, y_ + 10, std::max(0.0, width_ - 40), 44};
    y_ += 54 + kGap;
    return frame;
}

}  // namespace busdesk::form
