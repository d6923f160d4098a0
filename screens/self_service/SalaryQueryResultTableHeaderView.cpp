#include "screens/self_service/SalaryQueryResultTableHeaderView.h"

#include "platform/views/Palette.h"

namespace busdesk {

SalaryQueryResultTableHeaderView::SalaryQueryResultTableHeaderView(Rect frame) : View(frame) {
    setBackgroundColor(Color::of(ColorRole::AccentSoft));
    titleLabel = std::make_shared<Label>();
    titleLabel->setIdentifier("titleLabel");
    titleLabel->setFontSize(15);
    titleLabel->setTextColor(Color::of(ColorRole::Text));
    titleDetLable = std::make_shared<Label>();
    titleDetLable->setIdentifier("titleDetLable");
    titleDetLable->setFontSize(20);
    titleDetLable->setBoldFont(true);
    titleDetLable->setTextColor(Color::of(ColorRole::Warning));
    addSubview(titleLabel);
    addSubview(titleDetLable);
    layoutSubviews();
}

void SalaryQueryResultTableHeaderView::layoutSubviews() {
    Rect b = bounds();
    titleLabel->setFrame({16, 8, b.width - 32, 28});
    titleDetLable->setFrame({16, 38, b.width - 32, 34});
}

}  // namespace busdesk
