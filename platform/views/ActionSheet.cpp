#include "platform/views/ActionSheet.h"

#include <algorithm>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/DumpWriter.h"
#include "platform/views/Label.h"
#include "platform/views/Palette.h"
#include "platform/views/WeakCallback.h"
#include "platform/views/Window.h"

namespace busdesk {

ActionSheet::ActionSheet(std::string title, std::vector<std::string> buttonTitles, int cancelButtonIndex,
                         Callback callback)
    : ModalChoice(std::move(buttonTitles), cancelButtonIndex, std::move(callback)),
      title_(std::move(title)) {}

ActionSheet::~ActionSheet() = default;

void ActionSheet::build() {
    removeAllSubviews();
    Rect b = bounds();
    double rowH = 50, titleH = title_.empty() ? 0 : 40;
    double h = titleH + rowH * static_cast<double>(buttons_.size()) + 16;
    auto panel = std::make_shared<View>(Rect{8, b.height - h, b.width - 16, h});
    panel->setBackgroundColor(Color::of(ColorRole::Surface));
    panel->setCornerRadius(12);
    addSubview(panel);
    if (!title_.empty()) {
        auto t = std::make_shared<Label>(Rect{0, 0, b.width - 16, titleH}, title_);
        t->setFontSize(13);
        t->setTextAlignment(TextAlignment::Center);
        panel->addSubview(t);
    }
    double y = titleH;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (static_cast<int>(i) == cancelIndex_) y += 8;
        auto button = std::make_shared<Button>(Rect{0, y, b.width - 16, rowH}, buttons_[i]);
        button->setTag(static_cast<int>(i));
        button->addAction(whileAlive(this, [i](ActionSheet& self, View&) {
            self.dismissWithClickedButtonIndex(static_cast<int>(i));
        }));
        panel->addSubview(button);
        y += rowH;
    }
}

void ActionSheet::showInView(View* origin) {
    Window* w = origin ? origin->window() : nullptr;
    auto key = Window::keyWindow();
    presentIn(w ? w : key.get());
}

std::vector<std::shared_ptr<ActionSheet>> ActionSheet::visibleSheets() {
    return registry();
}

bool ActionSheet::dump(DumpWriter& out) const {
    std::string line = "sheet:";
    if (!title_.empty()) line += " " + DumpWriter::quote(title_);
    for (auto& b : buttons_) line += " [" + b + "]";
    out.line(line);
    return false;
}

std::string ActionSheet::accessibleName() const {
    if (!title_.empty()) return title_;
    std::string out;
    for (int i = 0; i < numberOfButtons(); ++i) out += (out.empty() ? "" : tr("、")) + buttonTitleAtIndex(i);
    return out;
}

}  // namespace busdesk
