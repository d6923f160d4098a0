#pragma once

#include <memory>
#include <vector>

#include "model/SuggestInfo.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/TableViewCell.h"

namespace busdesk {

// A suggestion with its answer: kind, time asked, question, time answered, answer, and when it has
// pictures a strip of them ("picture" buttons, tag = position), loaded by address.
class DetListTableViewCell : public TableViewCell {
  public:
    static constexpr const char* kReuseIdentifier = "DetListTableViewCell";
    static constexpr double kHeightWithPictures = 250;
    static constexpr double kHeightWithoutPictures = 160;
    static constexpr double kPictureSize = 80;

    DetListTableViewCell();
    void fill(const SuggestInfo* item, int row);
    double rowHeight() const { return kHeightWithoutPictures; }
    static double heightFor(const SuggestInfo* item);
    // The picture addresses of a suggestion (entries that are not text are skipped).
    static std::vector<std::string> pictureAddresses(const SuggestInfo& item);
    void layoutSubviews() override;

    std::shared_ptr<Label> lblType;
    std::shared_ptr<Label> lblQueTime;
    std::shared_ptr<Label> lblContent;
    std::shared_ptr<Label> lblAnsTime;
    std::shared_ptr<Label> lblAnsContent;
    std::shared_ptr<View> pictureStrip;
    std::vector<std::shared_ptr<Button>> pictures;
};

}  // namespace busdesk
