#pragma once

#include <memory>
#include <vector>

#include "model/DisplanDetailInfoArray.h"
#include "platform/views/Label.h"
#include "platform/views/View.h"
#include "screens/query/RowLine.h"

namespace busdesk {

// The plan totals above the first trip of today's plan: planned trips, planned distance,
// completed distance, completed trips, completed non-revenue distance.
class PlanRowView : public View {
  public:
    static constexpr double kHeight = 82;

    static const std::vector<RowLine<DisplanDetailInfoArray>>& lines();

    PlanRowView();
    void setTotals(const DisplanDetailInfoArray& totals);
    void layoutSubviews() override;

    std::vector<std::shared_ptr<Label>> labels;
};

}  // namespace busdesk
