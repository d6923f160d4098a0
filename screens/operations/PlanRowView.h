#pragma once

#include <memory>
#include <vector>

#include "model/DisplanDetailInfoArray.h"
#include "platform/views/Label.h"
#include "platform/views/View.h"
#include "screens/query/LinesCell.h"
#include "screens/query/RowLine.h"

namespace busdesk {

// The plan totals above the first trip of today's plan: planned trips, planned distance,
// completed distance, completed trips, completed non-revenue distance. Written as the trips below
// it are: the same text size, a line's height each.
class PlanRowView : public View {
  public:
    static constexpr std::size_t kLineCount = 5;
    static constexpr double kHeight = LinesCell::heightFor(kLineCount);

    static const std::vector<RowLine<DisplanDetailInfoArray>>& lines();

    PlanRowView();
    void setTotals(const DisplanDetailInfoArray& totals);
    void layoutSubviews() override;

    std::vector<std::shared_ptr<Label>> labels;
};

}  // namespace busdesk
