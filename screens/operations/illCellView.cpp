#include "screens/operations/illCellView.h"

#include "platform/Translation.h"

namespace busdesk {

const illCellView::Table& illCellView::lines() {
    static const Table table = {
        {N_("线路名称：%@"), &FinishDisplanInfo::RouteName},
        {N_("里程（km）：%@"), &FinishDisplanInfo::Mile},
        {N_("车次：%@"), &FinishDisplanInfo::SeqNum},
        {N_("班次：%@"), &FinishDisplanInfo::ShiftNum},
        {N_("车辆：%@"), &FinishDisplanInfo::Busname},
        {N_("实际发车：%@"), &FinishDisplanInfo::LeaveTime},
        {N_("实际到达：%@"), &FinishDisplanInfo::ArriveTime},
        {N_("起始站点：%@"), &FinishDisplanInfo::StartStation},
        {N_("目的站点：%@"), &FinishDisplanInfo::EndStaion},
        {N_("营运类型：%@"), &FinishDisplanInfo::Rectype},
    };
    return table;
}

}  // namespace busdesk
