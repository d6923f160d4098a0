#pragma once

#include <string>

namespace busdesk::sim {

// Day arithmetic on "yyyy-MM-dd" texts in the proleptic Gregorian calendar, with no time zone:
// the server's data is keyed by calendar day only.
// Days since 1970-01-01, or -1 when the text is not a real day of the years 2000–2099.
long civilDayNumber(const std::string& day);
std::string civilDayText(long dayNumber);
// Minutes after midnight as "HH:mm", past 24:00 wrapping to the next day's clock.
std::string clockText(int minutes);

}  // namespace busdesk::sim
