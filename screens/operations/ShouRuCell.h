#pragma once

#include "model/DssticketcostSum.h"
#include "platform/Translation.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// One driver's revenue of a month: position, driver, period, IC card and cash income, and the detail button.
class ShouRuCell : public RowLinesCell<DssticketcostSum> {
  public:
    static constexpr const char* kReuseIdentifier = "ShouRuCell";
    static const Table& lines();

    ShouRuCell() : RowLinesCell(kReuseIdentifier, lines(), true) {
        addTrailingButton("showDetail", tr("详情"));
    }
    void layView(const DssticketcostSum& info, int position) { fill(&info, position - 1); }
};

}  // namespace busdesk
