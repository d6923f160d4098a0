#pragma once

#include <memory>

#include "model/SalaryItem.h"
#include "platform/views/Label.h"
#include "platform/views/TableViewCell.h"

namespace busdesk {

// One statement line: the item's name on the left, its amount on the right, both as sent.
class SalaryQueryResultTVCell : public TableViewCell {
  public:
    static constexpr const char* kReuseIdentifier = "SalaryQueryResultTVCell";

    SalaryQueryResultTVCell();
    void fill(const SalaryItem* item, int row);
    double rowHeight() const { return 44; }
    void layoutSubviews() override;

    std::shared_ptr<Label> itemNameLabel;
    std::shared_ptr<Label> itemNumLabel;
};

}  // namespace busdesk
