#include "screens/operations/illSumTableViewCell.h"

namespace busdesk {

const illSumTableViewCell::Table& illSumTableViewCell::lines() {
    static const Table table = {
        {"%@", &NormalInfo::Busname},
        {"%@", &NormalInfo::Rundate},
        RowLine<NormalInfo>([](const NormalInfo& info) {
            // "%@%d次": the kind, then the count, then 次.
            return formatLine("%@", info.AlertType) + formatLine("%d次", info.Num);
        }),
    };
    return table;
}

}  // namespace busdesk
