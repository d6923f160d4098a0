#pragma once

#include <unicode/locid.h>

namespace busdesk {

// The device locale with the Gregorian calendar and Latin digits forced (see DateFormat.h).
// Internal to the platform's ICU code.
icu::Locale deviceFormattingLocale();

}  // namespace busdesk
