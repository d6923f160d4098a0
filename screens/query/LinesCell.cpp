#include "screens/query/LinesCell.h"

#include <algorithm>

#include "platform/views/Palette.h"

namespace busdesk {

LinesCell::LinesCell(std::string reuseIdentifier, std::size_t lineCount, bool withBadge)
    : TableViewCell(CellStyle::Default, std::move(reuseIdentifier)) {
    setSelectionStyle(CellSelectionStyle::None);
    if (withBadge) {
        badge = std::make_shared<Label>();
        badge->setIdentifier("badge");
        badge->setFontSize(14);
        badge->setTextAlignment(TextAlignment::Center);
        badge->setTextColor(Color::of(ColorRole::OnAccent));
        badge->setBackgroundColor(Color::of(ColorRole::Accent));
        badge->setCornerRadius(kBadgeSize / 2);
        contentView().addSubview(badge);
    }
    for (std::size_t i = 0; i < lineCount; ++i) {
        auto label = std::make_shared<Label>();
        label->setFontSize(kFontSize);
        label->setTextColor(Color::of(ColorRole::Text));
        lines.push_back(label);
        contentView().addSubview(label);
    }
    setFrame({0, 0, 390, rowHeight()});
}

void LinesCell::setLines(const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i]->setText(i < texts.size() ? texts[i] : std::string());
}

void LinesCell::setPosition(int position) {
    if (badge) badge->setText(std::to_string(position));
}

std::shared_ptr<Button> LinesCell::addTrailingButton(const std::string& action, const std::string& title) {
    trailingButton = std::make_shared<Button>(Rect{}, title);
    trailingButton->setIdentifier(action);
    trailingButton->setFontSize(14);
    trailingButton->setTitleColor(Color::of(ColorRole::OnAccent));
    trailingButton->setBackgroundColor(Color::of(ColorRole::Accent));
    trailingButton->setCornerRadius(4);
    contentView().addSubview(trailingButton);
    return trailingButton;
}

void LinesCell::layoutSubviews() {
    TableViewCell::layoutSubviews();
    Rect b = contentView().bounds();
    double left = 12;
    if (badge) {
        badge->setFrame({10, kPadding, kBadgeSize, kBadgeSize});
        left = 10 + kBadgeSize + 10;
    }
    double right = 10;
    if (trailingButton) {
        // Wide and tall enough for its title at the text size in force.
        const double size = trailingButton->fontSize();
        const double width = std::max(kButtonWidth, textWidth(trailingButton->currentTitle(), size) + 16);
        const double height = std::max(30.0, 1.2 * size + 8);
        trailingButton->setFrame({b.width - 10 - width, (b.height - height) / 2, width, height});
        right += width + 8;
    }
    double width = std::max(0.0, b.width - left - right);
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i]->setFrame({left, kPadding + kLineHeight * static_cast<double>(i), width, kLineHeight});
}

}  // namespace busdesk
