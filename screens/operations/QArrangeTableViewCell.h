#pragma once

#include <string>

#include "model/ArrangeInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A duty of the schedule: the run date asked for, then employee, working hours, route, shift,
// vehicle and first departure.
class QArrangeTableViewCell : public LinesCell {
  public:
    using Item = ArrangeInfo;
    static constexpr const char* kReuseIdentifier = "QArrangeTableViewCell";
    // The lines after the date.
    static const std::vector<RowLine<ArrangeInfo>>& lines();
    // The duty itself, without whose it is: working hours, route, shift, vehicle, first departure.
    static const std::vector<RowLine<ArrangeInfo>>& dutyLines();
    static constexpr std::size_t kLineCount = 8;

    QArrangeTableViewCell() : LinesCell(kReuseIdentifier, kLineCount, false) {}

    // A row handed no duty stays as it was.
    void AddRow(const ArrangeInfo* info, const std::string& date);
    // The run date the next fill() prints.
    void fill(const ArrangeInfo* info, int row);

    std::string dateStr;
};

}  // namespace busdesk
