#include "platform/DateFormat.h"

#include <unicode/locid.h>
#include <unicode/parsepos.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <cmath>
#include <memory>

#include "platform/Charset.h"
#include "platform/DateLocale.h"

namespace busdesk {
namespace {

icu::UnicodeString fromUTF8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::unique_ptr<icu::SimpleDateFormat> makeFormat(std::string_view pattern) {
    if (pattern.empty() || !Charset::isValidUTF8(pattern)) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    auto format =
        std::make_unique<icu::SimpleDateFormat>(fromUTF8(pattern), deviceFormattingLocale(), status);
    if (U_FAILURE(status)) return nullptr;
    return format;
}

}  // namespace

std::string formatDate(Date date, std::string_view pattern) {
    auto format = makeFormat(pattern);
    if (!format || !std::isfinite(date.secondsSince1970)) return std::string();
    icu::UnicodeString out;
    format->format(static_cast<UDate>(date.secondsSince1970 * 1000.0), out);
    std::string text;
    out.toUTF8String(text);
    return text;
}

std::optional<Date> parseDate(std::string_view text, std::string_view pattern) {
    if (text.empty() || !Charset::isValidUTF8(text)) return std::nullopt;
    auto format = makeFormat(pattern);
    if (!format) return std::nullopt;
    format->setLenient(false);
    icu::UnicodeString input = fromUTF8(text);
    icu::ParsePosition position(0);
    UDate when = format->parse(input, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != input.length()) return std::nullopt;
    return Date{when / 1000.0};
}

bool setDeviceTimeZone(std::string_view olsonId) {
    icu::UnicodeString id = fromUTF8(olsonId);
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(id));
    icu::UnicodeString got;
    zone->getID(got);
    // ICU answers an unknown identifier with "Etc/Unknown" rather than failing.
    if (*zone == icu::TimeZone::getUnknown() || got != id) return false;
    icu::TimeZone::adoptDefault(zone.release());
    return true;
}

}  // namespace busdesk
