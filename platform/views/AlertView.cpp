#include "platform/views/AlertView.h"

#include <algorithm>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/Window.h"

namespace busdesk {

namespace {
// Shown alerts are owned here until a button closes them.
std::vector<std::shared_ptr<AlertView>>& shown() {
    static std::vector<std::shared_ptr<AlertView>> list;
    return list;
}
}  // namespace

AlertView::AlertView(std::string title, std::string message, std::optional<std::string> cancelButtonTitle,
                     std::vector<std::string> otherButtonTitles, Callback callback)
    : title_(std::move(title)), message_(std::move(message)), callback_(std::move(callback)) {
    if (cancelButtonTitle) {
        buttons_.push_back(*cancelButtonTitle);
        cancelIndex_ = 0;
    }
    for (auto& b : otherButtonTitles) buttons_.push_back(std::move(b));
    setBlocksTouchesBelow(true);
    setBackgroundColor(Color::white(0, 0.4));
}

AlertView::~AlertView() = default;

std::optional<int> AlertView::indexOfButton(const std::string& title) const {
    auto it = std::find(buttons_.begin(), buttons_.end(), title);
    if (it == buttons_.end()) return std::nullopt;
    return static_cast<int>(it - buttons_.begin());
}

void AlertView::build() {
    removeAllSubviews();
    Rect b = bounds();
    double boxW = 270, x = (b.width - boxW) / 2;
    Size msg = measureText(message_, 13, {boxW - 32, 0});
    double boxH = 20 + 22 + msg.height + 20 + 44;
    double y = (b.height - boxH) / 2;
    auto box = std::make_shared<View>(Rect{x, y, boxW, boxH});
    box->setBackgroundColor(Color::white(0.97));
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
    std::weak_ptr<View> weak = weak_from_this();
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto button =
            std::make_shared<Button>(Rect{bw * static_cast<double>(i), boxH - 44, bw, 44}, buttons_[i]);
        button->setTag(static_cast<int>(i));
        button->addAction([weak, i](View&) {
            if (auto self = std::static_pointer_cast<AlertView>(weak.lock()))
                self->dismissWithClickedButtonIndex(static_cast<int>(i));
        });
        box->addSubview(button);
    }
}

void AlertView::show() {
    if (shown_) return;
    auto self = std::static_pointer_cast<AlertView>(shared_from_this());
    shown_ = true;
    shown().push_back(self);
    if (auto w = Window::keyWindow()) {
        setFrame(w->bounds());
        build();
        w->overlayLayer().addSubview(self);
    } else {
        build();
    }
}

bool AlertView::dismissWithClickedButtonIndex(int index) {
    if (index < 0 || index >= numberOfButtons()) return false;
    auto self = std::static_pointer_cast<AlertView>(shared_from_this());
    bool wasShown = shown_;
    shown_ = false;
    std::erase(shown(), self);
    removeFromSuperview();
    // One call per alert: a second press (or a scripted one after it closed) does nothing.
    if (wasShown && callback_) {
        auto cb = std::move(callback_);
        callback_ = nullptr;
        cb(*this, index);
    }
    return wasShown;
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts() {
    return shown();
}

bool AlertView::dump(DumpWriter& out) const {
    std::string line = "alert: " + DumpWriter::quote(title_);
    if (!message_.empty()) line += " " + DumpWriter::quote(message_);
    for (auto& b : buttons_) line += " [" + b + "]";
    out.line(line);
    return false;
}

}  // namespace busdesk
