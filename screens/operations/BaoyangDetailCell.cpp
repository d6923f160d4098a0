#include "screens/operations/BaoyangDetailCell.h"

#include "platform/Translation.h"

namespace busdesk {

const BaoyangDetailCell::Table& BaoyangDetailCell::lines() {
    static const Table table = {
        {N_("车号：%@"), &NormalInfo::Busname},
        {N_("保养级别：%@"), &NormalInfo::DefLevel},
        {N_("计划保养日期：%@"), &NormalInfo::Defplandate},
        {N_("保养地点：%@"), &NormalInfo::DefCompany},
        {N_("保养里程：%.2f"), &NormalInfo::DefMiles},
        {N_("设置保养里程：%.2f"), &NormalInfo::DefplanMiles},
        {N_("预提里程：%.2f"), &NormalInfo::DefPreMiles},
        {N_("归档状态：%@"), &NormalInfo::recordStatus},
        {N_("线路名称：%@"), &NormalInfo::RouteID},
    };
    return table;
}

}  // namespace busdesk
