#include "screens/operations/NosendTableViewCell.h"

namespace busdesk {

const NosendTableViewCell::Table& NosendTableViewCell::lines() {
    static const Table table = {
        {"车辆：%@", &NosendDisplanInfo::Busname},
        {"起点：%@", &NosendDisplanInfo::LeaveStation},
        {"终点：%@", &NosendDisplanInfo::ArriveStation},
        {"开始时间：%@", &NosendDisplanInfo::LeaveTime},
    };
    return table;
}

}  // namespace busdesk
