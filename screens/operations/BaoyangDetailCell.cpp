#include "screens/operations/BaoyangDetailCell.h"

namespace busdesk {

const BaoyangDetailCell::Table& BaoyangDetailCell::lines() {
    static const Table table = {
        {"车号：%@", &NormalInfo::Busname},
        {"保养级别：%@", &NormalInfo::DefLevel},
        {"计划保养日期：%@", &NormalInfo::Defplandate},
        {"保养地点：%@", &NormalInfo::DefCompany},
        {"保养里程：%.2f", &NormalInfo::DefMiles},
        {"设置保养里程：%.2f", &NormalInfo::DefplanMiles},
        {"预提里程：%.2f", &NormalInfo::DefPreMiles},
        {"归档状态：%@", &NormalInfo::recordStatus},
        {"线路名称：%@", &NormalInfo::RouteID},
    };
    return table;
}

}  // namespace busdesk
