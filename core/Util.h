#pragma once

#include <string>

#include "platform/Date.h"

namespace busdesk {

class Util {
  public:
    // The date as "yyyy-MM-dd" in the device zone.
    static std::string stringFromDate_yyMMdd(Date date);
};

}  // namespace busdesk
