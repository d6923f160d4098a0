#pragma once

#include <memory>
#include <string>

#include "platform/Translation.h"
#include "platform/views/Button.h"
#include "platform/views/ImageView.h"
#include "platform/views/Label.h"
#include "platform/views/TableViewCell.h"

namespace busdesk {

class NormalInfo;

// A bulletin row: title, date, publisher, the unread mark and the button that opens the detail.
class NewsCellView : public TableViewCell {
  public:
    static constexpr double kHeight = 67;
    static constexpr int kButtonTagBase = 100;
    static constexpr const char* kReuseIdentifier = "NewsCellView";
    static constexpr const char* kUnreadText = N_("未读");

    NewsCellView();

    // tag 2 announcements (publisher from Publishby, unread mark when not read), 3 regulations
    // (publisher from PublishBy, never a mark). A missing bulletin leaves the row empty.
    void addInfo(const std::shared_ptr<NormalInfo>& info, int tag, const std::string& newId);

    void layoutSubviews() override;

    std::shared_ptr<Label> lblTitle;
    std::shared_ptr<Label> time;
    std::shared_ptr<Label> people;
    std::shared_ptr<ImageView> imageNew;
    std::shared_ptr<Button> btnDetail;
};

// "发布人：" + the publisher field the bulletin kind uses.
std::string publisherText(const NormalInfo& info, int tag);

}  // namespace busdesk
