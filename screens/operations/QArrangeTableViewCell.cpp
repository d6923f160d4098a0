#include "screens/operations/QArrangeTableViewCell.h"

#include "platform/Translation.h"

namespace busdesk {

const std::vector<RowLine<ArrangeInfo>>& QArrangeTableViewCell::dutyLines() {
    static const std::vector<RowLine<ArrangeInfo>> table = {
        {N_("上班时间：%@"), &ArrangeInfo::OnWorktime}, {N_("下班时间：%@"), &ArrangeInfo::OffWorktime},
        {N_("线路：%@"), &ArrangeInfo::Routename},      {N_("班次：%@"), &ArrangeInfo::Shiftnum},
        {N_("车辆：%@"), &ArrangeInfo::Busname},        {N_("首发时间：%@"), &ArrangeInfo::Firstleavetime},
    };
    return table;
}

const std::vector<RowLine<ArrangeInfo>>& QArrangeTableViewCell::lines() {
    static const std::vector<RowLine<ArrangeInfo>> table = [] {
        std::vector<RowLine<ArrangeInfo>> all{{N_("员工姓名：%@"), &ArrangeInfo::Empname}};
        for (const auto& line : dutyLines()) all.push_back(line);
        return all;
    }();
    return table;
}

void QArrangeTableViewCell::AddRow(const ArrangeInfo* info, const std::string& date) {
    dateStr = date;
    fill(info, 0);
}

void QArrangeTableViewCell::fill(const ArrangeInfo* info, int) {
    if (!info) return;
    std::vector<std::string> texts{formatLine("日期：%@", std::optional<std::string>(dateStr))};
    for (auto& line : printLines(lines(), *info)) texts.push_back(std::move(line));
    setLines(texts);
}

}  // namespace busdesk
