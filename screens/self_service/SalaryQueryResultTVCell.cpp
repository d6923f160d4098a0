#include "screens/self_service/SalaryQueryResultTVCell.h"

#include "core/Session.h"

namespace busdesk {

SalaryQueryResultTVCell::SalaryQueryResultTVCell() : TableViewCell(CellStyle::Default, kReuseIdentifier) {
    setSelectionStyle(CellSelectionStyle::None);
    itemNameLabel = std::make_shared<Label>();
    itemNameLabel->setIdentifier("itemNameLabel");
    itemNameLabel->setFontSize(15);
    itemNumLabel = std::make_shared<Label>();
    itemNumLabel->setIdentifier("itemNumLabel");
    itemNumLabel->setFontSize(15);
    itemNumLabel->setTextAlignment(TextAlignment::Right);
    contentView().addSubview(itemNameLabel);
    contentView().addSubview(itemNumLabel);
    setFrame({0, 0, 390, rowHeight()});
}

void SalaryQueryResultTVCell::fill(const SalaryItem* item, int) {
    if (!item) return;
    itemNameLabel->setText(displayText(item->ItemName));
    itemNumLabel->setText(displayText(item->ItemNum));
}

void SalaryQueryResultTVCell::layoutSubviews() {
    TableViewCell::layoutSubviews();
    Rect b = contentView().bounds();
    itemNameLabel->setFrame({16, 0, b.width * 0.6 - 16, b.height});
    itemNumLabel->setFrame({b.width * 0.6, 0, b.width * 0.4 - 16, b.height});
}

}  // namespace busdesk
