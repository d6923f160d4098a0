#include "screens/operations/illCellView.h"

namespace busdesk {

const illCellView::Table& illCellView::lines() {
    static const Table table = {
        {"线路名称：%@", &FinishDisplanInfo::RouteName},  {"里程（km）：%@", &FinishDisplanInfo::Mile},
        {"车次：%@", &FinishDisplanInfo::SeqNum},         {"班次：%@", &FinishDisplanInfo::ShiftNum},
        {"车辆：%@", &FinishDisplanInfo::Busname},        {"实际发车：%@", &FinishDisplanInfo::LeaveTime},
        {"实际到达：%@", &FinishDisplanInfo::ArriveTime}, {"起始站点：%@", &FinishDisplanInfo::StartStation},
        {"目的站点：%@", &FinishDisplanInfo::EndStaion},  {"营运类型：%@", &FinishDisplanInfo::Rectype},
    };
    return table;
}

}  // namespace busdesk
