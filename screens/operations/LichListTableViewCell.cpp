#include "screens/operations/LichListTableViewCell.h"

#include "platform/Translation.h"

namespace busdesk {

const LichListTableViewCell::Table& LichListTableViewCell::lines() {
    static const Table table = {
        {"%@", &MileDriverInfo::drivername},
        {N_("里程（公里）:%.2f"), &MileDriverInfo::Milenum},
    };
    return table;
}

}  // namespace busdesk
