#include "screens/operations/NosendTableViewCell.h"

#include "platform/Translation.h"

namespace busdesk {

const NosendTableViewCell::Table& NosendTableViewCell::lines() {
    static const Table table = {
        {N_("车辆：%@"), &NosendDisplanInfo::Busname},
        {N_("起点：%@"), &NosendDisplanInfo::LeaveStation},
        {N_("终点：%@"), &NosendDisplanInfo::ArriveStation},
        {N_("开始时间：%@"), &NosendDisplanInfo::LeaveTime},
    };
    return table;
}

}  // namespace busdesk
