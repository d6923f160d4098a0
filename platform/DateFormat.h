#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Date.h"

namespace busdesk {

// Dates as text with ICU's pattern syntax ("yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss", "yyyy-MM",
// "yyyy-MM-01", "yyyy-MM-dd'T'HH:mm:ssZZZ", ...) in the device time zone (ICU's default zone,
// from TZ) and the device locale.
//
// These texts travel to the office server, so the calendar is always Gregorian and the digits
// always Latin, whatever the locale would choose: a Thai or Arabic device must still send
// "2025-03-01", not a Buddhist-era year or Eastern Arabic digits.
//
// A formatter is made per call; nothing is shared between threads.
std::string formatDate(Date date, std::string_view pattern);
// Strict: fields must be valid (no 2025-02-30 rolling into March) and the whole text must match
// the pattern; anything else, an empty text or a broken pattern gives nothing.
std::optional<Date> parseDate(std::string_view text, std::string_view pattern);

// Sets the device time zone by Olson identifier ("Asia/Shanghai"); false when ICU does not know
// it. Used by tests and by the scripted mode to get reproducible texts.
bool setDeviceTimeZone(std::string_view olsonId);

}  // namespace busdesk
