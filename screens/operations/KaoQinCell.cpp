#include "screens/operations/KaoQinCell.h"

namespace busdesk {

const KaoQinCell::Table& KaoQinCell::lines() {
    static const Table table = {
        {"姓名:%@", &NormalInfo::Empname},
        {"考勤日期:%@", &NormalInfo::Execdate},
        {"计划上班:%@", &NormalInfo::PlanOnworktime},
        {"计划下班:%@", &NormalInfo::PlanOffworktime},
        {"实际上班:%@", &NormalInfo::RealOnworktime},
        {"实际下班:%@", &NormalInfo::RealOffworktime},
    };
    return table;
}

}  // namespace busdesk
