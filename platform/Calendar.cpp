#include "platform/Calendar.h"

#include <unicode/calendar.h>

#include <cmath>
#include <memory>

#include "platform/DateLocale.h"

namespace busdesk {

DateComponents calendarDifference(Date from, Date to) {
    DateComponents out;
    if (!std::isfinite(from.secondsSince1970) || !std::isfinite(to.secondsSince1970)) return out;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(deviceFormattingLocale(), status));
    if (U_FAILURE(status) || !calendar) return out;
    calendar->setTime(from.secondsSince1970 * 1000.0, status);
    const UDate target = to.secondsSince1970 * 1000.0;
    // fieldDifference moves the calendar forward by the units it counted, so each call counts
    // what is left after the larger unit.
    out.years = calendar->fieldDifference(target, UCAL_YEAR, status);
    out.months = calendar->fieldDifference(target, UCAL_MONTH, status);
    out.days = calendar->fieldDifference(target, UCAL_DATE, status);
    if (U_FAILURE(status)) return DateComponents{};
    return out;
}

}  // namespace busdesk
