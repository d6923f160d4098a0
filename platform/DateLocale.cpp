#include "platform/DateLocale.h"

namespace busdesk {

icu::Locale deviceFormattingLocale() {
    icu::Locale locale = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    locale.setKeywordValue("calendar", "gregorian", status);
    status = U_ZERO_ERROR;
    locale.setKeywordValue("numbers", "latn", status);
    return locale;
}

}  // namespace busdesk
