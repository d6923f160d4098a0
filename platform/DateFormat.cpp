#include "platform/DateFormat.h"

#include <unicode/locid.h>
#include <unicode/parsepos.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/Charset.h"
#include "platform/DateLocale.h"

namespace busdesk {
namespace {

icu::UnicodeString fromUTF8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// Making an ICU formatter costs far more than using one (hundreds of microseconds: the locale's
// symbols and calendar are loaded), so each thread keeps the few it used last, per pattern and
// locale, and sets the device zone on one again when it has changed since.
struct CachedFormat {
    std::string pattern;
    std::string locale;
    std::unique_ptr<icu::SimpleDateFormat> format;
};
constexpr std::size_t kCachedFormats = 8;

icu::SimpleDateFormat* formatFor(std::string_view pattern) {
    if (pattern.empty() || !Charset::isValidUTF8(pattern)) return nullptr;
    thread_local std::vector<CachedFormat> cache;
    const icu::Locale locale = deviceFormattingLocale();
    const std::string localeName = locale.getName();
    auto found = std::find_if(cache.begin(), cache.end(), [&](const CachedFormat& c) {
        return c.pattern == pattern && c.locale == localeName;
    });
    if (found == cache.end()) {
        UErrorCode status = U_ZERO_ERROR;
        auto format = std::make_unique<icu::SimpleDateFormat>(fromUTF8(pattern), locale, status);
        if (U_FAILURE(status)) return nullptr;
        if (cache.size() == kCachedFormats) cache.erase(cache.begin());
        cache.push_back({std::string(pattern), localeName, std::move(format)});
        found = std::prev(cache.end());
    }
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    if (!(found->format->getTimeZone() == *zone)) found->format->adoptTimeZone(zone.release());
    return found->format.get();
}

}  // namespace

std::string formatDate(Date date, std::string_view pattern) {
    auto* format = formatFor(pattern);
    if (!format || !std::isfinite(date.secondsSince1970)) return std::string();
    icu::UnicodeString out;
    format->format(static_cast<UDate>(date.secondsSince1970 * 1000.0), out);
    std::string text;
    out.toUTF8String(text);
    return text;
}

std::optional<Date> parseDate(std::string_view text, std::string_view pattern) {
    if (text.empty() || !Charset::isValidUTF8(text)) return std::nullopt;
    auto* format = formatFor(pattern);
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
