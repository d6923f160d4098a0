#include "screens/operations/LichDetTableViewCell.h"

#include "platform/Translation.h"

namespace busdesk {

const LichDetTableViewCell::Table& LichDetTableViewCell::lines() {
    static const Table table = {
        {N_("司机:%@"), &MileDriverInfo::drivername},
        {N_("里程（公里）:%.2f"), &MileDriverInfo::Milenum},
        {N_("日期:%@"), &MileDriverInfo::Rundate},
        {N_("线路:%@"), &MileDriverInfo::routeid},
        {N_("非营运里程:%.2f"), &MileDriverInfo::unRunMilenum},
    };
    return table;
}

}  // namespace busdesk
