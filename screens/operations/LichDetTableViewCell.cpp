#include "screens/operations/LichDetTableViewCell.h"

namespace busdesk {

const LichDetTableViewCell::Table& LichDetTableViewCell::lines() {
    static const Table table = {
        {"司机:%@", &MileDriverInfo::drivername},
        {"里程（公里）:%.2f", &MileDriverInfo::Milenum},
        {"日期:%@", &MileDriverInfo::Rundate},
        {"线路:%@", &MileDriverInfo::routeid},
        {"非营运里程:%.2f", &MileDriverInfo::unRunMilenum},
    };
    return table;
}

}  // namespace busdesk
