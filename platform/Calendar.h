#pragma once

#include "platform/Date.h"

namespace busdesk {

struct DateComponents {
    int years = 0;
    int months = 0;
    int days = 0;
    friend bool operator==(const DateComponents&, const DateComponents&) = default;
};

// The Gregorian difference from `from` to `to` in whole years, then months, then days, as the
// calendar counts it in the device time zone -- not a day count: 2025-01-15 to 2025-02-14 is
// 0 months 30 days, to 2025-02-15 is 1 month 0 days. Negative when `to` is earlier. Parts of a
// day are dropped, so 10:00 to 09:00 the next day is 0 days.
DateComponents calendarDifference(Date from, Date to);

}  // namespace busdesk
