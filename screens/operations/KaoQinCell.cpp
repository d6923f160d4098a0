#include "screens/operations/KaoQinCell.h"

#include "platform/Translation.h"

namespace busdesk {

const KaoQinCell::Table& KaoQinCell::lines() {
    static const Table table = {
        {N_("姓名:%@"), &NormalInfo::Empname},
        {N_("考勤日期:%@"), &NormalInfo::Execdate},
        {N_("计划上班:%@"), &NormalInfo::PlanOnworktime},
        {N_("计划下班:%@"), &NormalInfo::PlanOffworktime},
        {N_("实际上班:%@"), &NormalInfo::RealOnworktime},
        {N_("实际下班:%@"), &NormalInfo::RealOffworktime},
    };
    return table;
}

}  // namespace busdesk
