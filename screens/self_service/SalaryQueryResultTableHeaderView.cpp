#include "screens/self_service/SalaryQueryResultTableHeaderView.h"

namespace busdesk {

SalaryQueryResultTableHeaderView::SalaryQueryResultTableHeaderView(Rect frame) : View(frame) {
    setBackgroundColor(Color{0.93, 0.96, 1, 1});
    titleLabel = std::make_shared<Label>();
    titleLabel->setIdentifier("titleLabel");
    titleLabel->setFontSize(15);
    titleLabel->setTextColor(Color::white(0.3));
    titleDetLable = std::make_shared<Label>();
    titleDetLable->setIdentifier("titleDetLable");
    titleDetLable->setFontSize(20);
    titleDetLable->setBoldFont(true);
    titleDetLable->setTextColor(Color{0.8, 0.2, 0.1, 1});
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
