#include "platform/views/ActionSheet.h"

#include <algorithm>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/Window.h"

namespace busdesk {

namespace {
std::vector<std::shared_ptr<ActionSheet>>& shown() {
    static std::vector<std::shared_ptr<ActionSheet>> list;
    return list;
}
}  // namespace

ActionSheet::ActionSheet(std::string title, std::vector<std::string> buttonTitles, int cancelButtonIndex,
                         Callback callback)
    : title_(std::move(title)), buttons_(std::move(buttonTitles)), callback_(std::move(callback)) {
    cancelIndex_ = cancelButtonIndex >= 0 && cancelButtonIndex < numberOfButtons() ? cancelButtonIndex : -1;
    setBlocksTouchesBelow(true);
    setBackgroundColor(Color::white(0, 0.4));
}

ActionSheet::~ActionSheet() = default;

std::optional<int> ActionSheet::indexOfButton(const std::string& title) const {
    auto it = std::find(buttons_.begin(), buttons_.end(), title);
    if (it == buttons_.end()) return std::nullopt;
    return static_cast<int>(it - buttons_.begin());
}

void ActionSheet::build() {
    removeAllSubviews();
    Rect b = bounds();
    double rowH = 50, titleH = title_.empty() ? 0 : 40;
    double h = titleH + rowH * static_cast<double>(buttons_.size()) + 16;
    auto panel = std::make_shared<View>(Rect{8, b.height - h, b.width - 16, h});
    panel->setBackgroundColor(Color::white(0.97));
    panel->setCornerRadius(12);
    addSubview(panel);
    if (!title_.empty()) {
        auto t = std::make_shared<Label>(Rect{0, 0, b.width - 16, titleH}, title_);
        t->setFontSize(13);
        t->setTextAlignment(TextAlignment::Center);
        panel->addSubview(t);
    }
    std::weak_ptr<View> weak = weak_from_this();
    double y = titleH;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (static_cast<int>(i) == cancelIndex_) y += 8;
        auto button = std::make_shared<Button>(Rect{0, y, b.width - 16, rowH}, buttons_[i]);
        button->setTag(static_cast<int>(i));
        button->addAction([weak, i](View&) {
            if (auto self = std::static_pointer_cast<ActionSheet>(weak.lock()))
                self->dismissWithClickedButtonIndex(static_cast<int>(i));
        });
        panel->addSubview(button);
        y += rowH;
    }
}

void ActionSheet::showInView(View* origin) {
    if (shown_) return;
    auto self = std::static_pointer_cast<ActionSheet>(shared_from_this());
    shown_ = true;
    shown().push_back(self);
    Window* w = origin ? origin->window() : nullptr;
    auto key = Window::keyWindow();
    if (!w) w = key.get();
    if (w) setFrame(w->bounds());
    build();
    if (w) w->overlayLayer().addSubview(self);
}

bool ActionSheet::dismissWithClickedButtonIndex(int index) {
    if (index < 0 || index >= numberOfButtons()) return false;
    auto self = std::static_pointer_cast<ActionSheet>(shared_from_this());
    bool wasShown = shown_;
    shown_ = false;
    std::erase(shown(), self);
    removeFromSuperview();
    if (wasShown && callback_) {
        auto cb = std::move(callback_);
        callback_ = nullptr;
        cb(*this, index);
    }
    return wasShown;
}

std::vector<std::shared_ptr<ActionSheet>> ActionSheet::visibleSheets() {
    return shown();
}

bool ActionSheet::dump(DumpWriter& out) const {
    std::string line = "sheet:";
    if (!title_.empty()) line += " " + DumpWriter::quote(title_);
    for (auto& b : buttons_) line += " [" + b + "]";
    out.line(line);
    return false;
}

}  // namespace busdesk
