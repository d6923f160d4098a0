#include "screens/self_service/SubdityDetTableViewCell.h"

#include "core/Session.h"
#include "platform/views/Palette.h"

namespace busdesk {

namespace {
std::shared_ptr<Label> cellLabel(View& parent, const char* id, double size, TextAlignment align) {
    auto l = std::make_shared<Label>();
    l->setIdentifier(id);
    l->setFontSize(size);
    l->setTextAlignment(align);
    l->setTextColor(Color::of(ColorRole::Text));
    parent.addSubview(l);
    return l;
}
}  // namespace

SubdityDetTableViewCell::SubdityDetTableViewCell() : TableViewCell(CellStyle::Default, kReuseIdentifier) {
    setSelectionStyle(CellSelectionStyle::None);
    lblTime = cellLabel(contentView(), "ActTime", 13, TextAlignment::Left);
    lblPlace = cellLabel(contentView(), "CanteenName", 12, TextAlignment::Left);
    lblPlace->setTextColor(Color::of(ColorRole::SecondaryText));
    lblMoney = cellLabel(contentView(), "Money", 14, TextAlignment::Center);
    lblRemain = cellLabel(contentView(), "RemainMoney", 14, TextAlignment::Center);
    setFrame({0, 0, 390, rowHeight()});
}

void SubdityDetTableViewCell::fill(const SubsidyRecharge* item, int) {
    if (!item) return;
    lblTime->setText(displayText(item->ActTime));
    lblPlace->setText(displayText(item->CanteenName));
    lblMoney->setText(displayText(item->Money));
    lblRemain->setText(displayText(item->RemainMoney));
}

void SubdityDetTableViewCell::setKind(int kind) {
    kind_ = kind;
    lblRemain->setHidden(kind == 2);
    layoutSubviews();
}

void SubdityDetTableViewCell::layoutSubviews() {
    TableViewCell::layoutSubviews();
    Rect b = contentView().bounds();
    double first = b.width / 2;
    double other = kind_ == 2 ? b.width / 2 : b.width / 4;
    lblTime->setFrame({10, 2, first - 10, 22});
    lblPlace->setFrame({10, 22, first - 10, 20});
    lblMoney->setFrame({first, 0, other, b.height});
    lblRemain->setFrame({first + other, 0, other, b.height});
}

}  // namespace busdesk
