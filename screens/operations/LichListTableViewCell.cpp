#include "screens/operations/LichListTableViewCell.h"

namespace busdesk {

const LichListTableViewCell::Table& LichListTableViewCell::lines() {
    static const Table table = {
        {"%@", &MileDriverInfo::drivername},
        {"里程（公里）:%.2f", &MileDriverInfo::Milenum},
    };
    return table;
}

}  // namespace busdesk
