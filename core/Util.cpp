#include "core/Util.h"

#include "platform/DateFormat.h"

namespace busdesk {

std::string Util::stringFromDate_yyMMdd(Date date) {
    return formatDate(date, "yyyy-MM-dd");
}

}  // namespace busdesk
