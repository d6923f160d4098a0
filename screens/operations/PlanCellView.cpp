#include "screens/operations/PlanCellView.h"

namespace busdesk {

const PlanCellView::Table& PlanCellView::lines() {
    static const Table table = {
        RowLine<DisplanDetailInfo>([](const DisplanDetailInfo& trip) -> std::string {
            return trip.ISSent && *trip.ISSent == "0" ? "是否发出：未发出" : "是否发出：已发出";
        }),
        {"开始时间：%@", &DisplanDetailInfo::LeaveTime},
        {"到达时间：%@", &DisplanDetailInfo::ArriveTime},
        {"线路：%@", &DisplanDetailInfo::RouteName},
        {"状态：%@", &DisplanDetailInfo::Recstate},
        {"里程：%@", &DisplanDetailInfo::Mile},
        {"班次：%@", &DisplanDetailInfo::ShiftNum},
        {"车辆：%@", &DisplanDetailInfo::Busname},
        {"车次：%@", &DisplanDetailInfo::SeqNum},
        {"起点：%@", &DisplanDetailInfo::StartStation},
        {"终点：%@", &DisplanDetailInfo::EndStaion},
    };
    return table;
}

}  // namespace busdesk
