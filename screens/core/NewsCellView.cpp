#include "screens/core/NewsCellView.h"

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/NormalInfo.h"
#include "platform/Translation.h"
#include "platform/views/Palette.h"

namespace busdesk {

namespace {
// The unread mark speaks in the row's text too, so a headless reader sees which rows are new.
class UnreadMark : public ImageView {
  public:
    std::vector<std::string> selectableTexts() const override { return {tr(NewsCellView::kUnreadText)}; }
};
}  // namespace

std::string publisherText(const NormalInfo& info, int tag) {
    return trFormat("发布人：%1", {displayText(tag == 2 ? info.Publishby : info.PublishBy)});
}

NewsCellView::NewsCellView() : TableViewCell(CellStyle::Default, kReuseIdentifier) {
    setSelectionStyle(CellSelectionStyle::None);
    lblTitle = std::make_shared<Label>();
    lblTitle->setIdentifier("lblTitle");
    lblTitle->setFontSize(16);
    time = std::make_shared<Label>();
    time->setIdentifier("time");
    time->setFontSize(13);
    time->setTextColor(Color::of(ColorRole::SecondaryText));
    people = std::make_shared<Label>();
    people->setIdentifier("people");
    people->setFontSize(13);
    people->setTextColor(Color::of(ColorRole::SecondaryText));
    imageNew = std::make_shared<UnreadMark>();
    imageNew->setIdentifier("imageNew");
    imageNew->setImageName("new");
    // Over the whole row, so a finger anywhere on it opens the detail.
    btnDetail = std::make_shared<Button>();
    btnDetail->setIdentifier("btnDetail");
    for (const auto& v :
         std::initializer_list<std::shared_ptr<View>>{lblTitle, time, people, imageNew, btnDetail})
        contentView().addSubview(v);
    setFrame({0, 0, 390, kHeight});
}

void NewsCellView::addInfo(const std::shared_ptr<NormalInfo>& info, int tag, const std::string& newId) {
    lblTitle->setText(info ? displayText(info->Title) : std::string());
    time->setText(info ? displayText(info->RealeaseDate) : std::string());
    people->setText(info ? publisherText(*info, tag) : std::string());
    imageNew->setHidden(!(info && tag == 2 && !PublicMethod::getNewsRead(newId)));
}

void NewsCellView::layoutSubviews() {
    TableViewCell::layoutSubviews();
    Rect b = contentView().bounds();
    if (!lblTitle) return;
    lblTitle->setFrame({12, 6, b.width - 68, 28});
    time->setFrame({12, 38, 110, 22});
    people->setFrame({130, 38, b.width - 142, 22});
    imageNew->setFrame({b.width - 52, 10, 40, 18});
    btnDetail->setFrame({0, 0, b.width, b.height});
}

}  // namespace busdesk
