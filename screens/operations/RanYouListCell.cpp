#include "screens/operations/RanYouListCell.h"

namespace busdesk {

const RanYouListCell::Table& RanYouListCell::lines() {
    static const Table table = {
        {"%@", &NormalInfo::Busname},
        {"%@", &NormalInfo::Runningdate},
        RowLine<NormalInfo>([](const NormalInfo& i) {
            return i.Fuelname.value_or("") + " " + formatLine("%.2f", i.Fuelnum);
        }),
    };
    return table;
}

}  // namespace busdesk
