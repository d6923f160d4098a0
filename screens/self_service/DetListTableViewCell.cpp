#include "screens/self_service/DetListTableViewCell.h"

#include "core/Session.h"
#include "platform/views/Palette.h"
#include "screens/query/RowLine.h"
#include "ui/PhotoName.h"
#include "ui/RemoteImageLoader.h"

namespace busdesk {

namespace {
std::shared_ptr<Label> line(View& parent, int lines) {
    auto l = std::make_shared<Label>();
    l->setFontSize(14);
    l->setTextColor(Color::of(ColorRole::Text));
    l->setNumberOfLines(lines);
    parent.addSubview(l);
    return l;
}
}  // namespace

DetListTableViewCell::DetListTableViewCell() : TableViewCell(CellStyle::Default, kReuseIdentifier) {
    setSelectionStyle(CellSelectionStyle::None);
    lblType = line(contentView(), 1);
    lblQueTime = line(contentView(), 1);
    lblContent = line(contentView(), 2);
    lblAnsTime = line(contentView(), 1);
    lblAnsContent = line(contentView(), 2);
    lblAnsContent->setTextColor(Color::of(ColorRole::Positive));
    pictureStrip = std::make_shared<View>();
    pictureStrip->setIdentifier("pictureStrip");
    pictureStrip->setHidden(true);
    contentView().addSubview(pictureStrip);
    setFrame({0, 0, 390, rowHeight()});
}

std::vector<std::string> DetListTableViewCell::pictureAddresses(const SuggestInfo& item) {
    std::vector<std::string> out;
    for (const auto& v : item.Imagenames)
        if (v.is_string() && !v.get_string().empty()) out.emplace_back(v.get_string());
    return out;
}

double DetListTableViewCell::heightFor(const SuggestInfo* item) {
    return item && !pictureAddresses(*item).empty() ? kHeightWithPictures : kHeightWithoutPictures;
}

void DetListTableViewCell::fill(const SuggestInfo* item, int) {
    if (!item) return;
    lblType->setText(formatLine("类型：%@", item->Type));
    lblQueTime->setText(formatLine("提问时间：%@", item->QueTime));
    lblContent->setText(formatLine("提问内容：%@", item->Content));
    lblAnsTime->setText(formatLine("答复时间：%@", item->AnsTime));
    lblAnsContent->setText(formatLine("答复内容：%@", item->AnsContent));
    pictureStrip->removeAllSubviews();
    pictures.clear();
    auto addresses = pictureAddresses(*item);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        auto b = std::make_shared<Button>(
            Rect{5 + (kPictureSize + 5) * static_cast<double>(i), 0, kPictureSize, kPictureSize});
        b->setIdentifier("picture");
        b->setAccessibilityLabel(screen::photoName(i));
        b->setTag(static_cast<int>(i));
        setBackgroundImageWithURL(*b, addresses[i], ControlState::Normal, "placeholder");
        pictureStrip->addSubview(b);
        pictures.push_back(b);
    }
    pictureStrip->setHidden(addresses.empty());
    setFrame({frame().x, frame().y, frame().width, heightFor(item)});
    layoutSubviews();
}

void DetListTableViewCell::layoutSubviews() {
    TableViewCell::layoutSubviews();
    Rect b = contentView().bounds();
    double w = b.width - 24, y = 8;
    for (auto* l : {&lblType, &lblQueTime, &lblContent, &lblAnsTime, &lblAnsContent}) {
        double h = (*l)->numberOfLines() * 20.0;
        (*l)->setFrame({12, y, w, h});
        y += h;
    }
    pictureStrip->setFrame({7, y + 8, b.width - 14, kPictureSize});
}

}  // namespace busdesk
