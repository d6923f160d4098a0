#include "screens/operations/PlanCellView.h"

#include "platform/Translation.h"

namespace busdesk {

const PlanCellView::Table& PlanCellView::lines() {
    static const Table table = {
        RowLine<DisplanDetailInfo>([](const DisplanDetailInfo& trip) -> std::string {
            return trip.ISSent && *trip.ISSent == "0" ? tr("是否发出：未发出") : tr("是否发出：已发出");
        }),
        {N_("开始时间：%@"), &DisplanDetailInfo::LeaveTime},
        {N_("到达时间：%@"), &DisplanDetailInfo::ArriveTime},
        {N_("线路：%@"), &DisplanDetailInfo::RouteName},
        {N_("状态：%@"), &DisplanDetailInfo::Recstate},
        {N_("里程：%@"), &DisplanDetailInfo::Mile},
        {N_("班次：%@"), &DisplanDetailInfo::ShiftNum},
        {N_("车辆：%@"), &DisplanDetailInfo::Busname},
        {N_("车次：%@"), &DisplanDetailInfo::SeqNum},
        {N_("起点：%@"), &DisplanDetailInfo::StartStation},
        {N_("终点：%@"), &DisplanDetailInfo::EndStaion},
    };
    return table;
}

}  // namespace busdesk
