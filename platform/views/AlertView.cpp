#include "platform/views/AlertView.h"

#include <algorithm>

#include "platform/views/Button.h"
#include "platform/views/DumpWriter.h"
#include "platform/views/Label.h"
#include "platform/views/Palette.h"
#include "platform/views/TextSize.h"
#include "platform/views/WeakCallback.h"
#include "platform/views/Window.h"

namespace busdesk {

AlertView::AlertView(std::string title, std::string message, std::optional<std::string> cancelButtonTitle,
                     std::vector<std::string> otherButtonTitles, Callback callback)
    : ModalChoice(std::move(otherButtonTitles), -1, std::move(callback)),
      title_(std::move(title)),
      message_(std::move(message)) {
    if (cancelButtonTitle) {
        buttons_.insert(buttons_.begin(), *cancelButtonTitle);
        cancelIndex_ = 0;
    }
}

AlertView::~AlertView() = default;

void AlertView::build() {
    removeAllSubviews();
    Rect b = bounds();
    double boxW = 270, x = (b.width - boxW) / 2;
    Size msg = measureText(message_, TextSize::scaled(13), {boxW - 32, 0});
    double boxH = 20 + 22 + msg.height + 20 + 44;
    double y = (b.height - boxH) / 2;
    auto box = std::make_shared<View>(Rect{x, y, boxW, boxH});
    box->setBackgroundColor(Color::of(ColorRole::Surface));
    box->setCornerRadius(12);
    addSubview(box);
    auto t = std::make_shared<Label>(Rect{16, 20, boxW - 32, 22}, title_);
    t->setBoldFont(true);
    t->setTextAlignment(TextAlignment::Center);
    box->addSubview(t);
    auto m = std::make_shared<Label>(Rect{16, 42, boxW - 32, msg.height}, message_);
    m->setFontSize(13);
    m->setNumberOfLines(0);
    m->setTextAlignment(TextAlignment::Center);
    box->addSubview(m);
    double bw = buttons_.empty() ? boxW : boxW / static_cast<double>(buttons_.size());
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto button =
            std::make_shared<Button>(Rect{bw * static_cast<double>(i), boxH - 44, bw, 44}, buttons_[i]);
        button->setTag(static_cast<int>(i));
        button->addAction(whileAlive(
            this, [i](AlertView& self, View&) { self.dismissWithClickedButtonIndex(static_cast<int>(i)); }));
        box->addSubview(button);
    }
}

void AlertView::show() {
    presentIn(Window::keyWindow().get());
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts() {
    return registry();
}

bool AlertView::dump(DumpWriter& out) const {
    std::string line = "alert: " + DumpWriter::quote(title_);
    if (!message_.empty()) line += " " + DumpWriter::quote(message_);
    for (auto& b : buttons_) line += " [" + b + "]";
    out.line(line);
    return false;
}

std::string AlertView::accessibleName() const {
    return title_.empty() ? message_ : title_;
}

}  // namespace busdesk
