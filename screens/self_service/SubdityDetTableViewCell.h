#pragma once

#include <memory>

#include "model/SubsidyRecharge.h"
#include "platform/views/Label.h"
#include "platform/views/TableViewCell.h"

namespace busdesk {

// A meal-card record in columns: time above place, then the amount and (for recharges and
// purchases) the balance. Kind 2 (subsidies) has two columns of half the width each; the others
// three, the first half the width.
class SubdityDetTableViewCell : public TableViewCell {
  public:
    static constexpr const char* kReuseIdentifier = "SubdityDetTableViewCell";

    SubdityDetTableViewCell();
    void fill(const SubsidyRecharge* item, int row);
    void setKind(int kind);
    double rowHeight() const { return 44; }
    void layoutSubviews() override;

    std::shared_ptr<Label> lblTime;
    std::shared_ptr<Label> lblPlace;
    std::shared_ptr<Label> lblMoney;
    std::shared_ptr<Label> lblRemain;

  private:
    int kind_ = 0;
};

}  // namespace busdesk
