#include "platform/ICalendarText.h"

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>
#include <unicode/vtzone.h>

#include <memory>

namespace busdesk::ical {

namespace {
constexpr std::size_t kMaxOctets = 75;

bool isContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}
}  // namespace

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
            case '\\':
            case ';':
            case ',':
                out += '\\';
                out += c;
                break;
            case '\r':
                // CRLF and a lone CR are one line break each.
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
                out += "\\n";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) break;
                out += c;
        }
    }
    return out;
}

std::string fold(std::string_view line) {
    std::string out;
    out.reserve(line.size() + line.size() / 64 * 3 + 2);
    std::size_t start = 0;
    std::size_t room = kMaxOctets;  // the first line has 75 octets, continuations 74 after the space
    while (line.size() - start > room) {
        std::size_t cut = start + room;
        // Back to the first byte of the character the cut would split.
        while (cut > start && isContinuationByte(static_cast<unsigned char>(line[cut]))) --cut;
        if (cut == start) cut = start + room;  // not UTF-8 at all: cut where the octets say
        out.append(line.substr(start, cut - start));
        out += "\r\n ";
        start = cut;
        room = kMaxOctets - 1;
    }
    out.append(line.substr(start));
    out += "\r\n";
    return out;
}

std::string contentLine(std::string_view name, std::string_view value) {
    std::string line(name);
    line += ':';
    line += value;
    return fold(line);
}

std::string deviceZoneID() {
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    zone->getID(id);
    std::string out;
    id.toUTF8String(out);
    return out;
}

std::optional<std::string> deviceZoneComponent(Date from) {
    std::unique_ptr<icu::VTimeZone> zone(
        icu::VTimeZone::createVTimeZoneByID(icu::UnicodeString::fromUTF8(deviceZoneID())));
    if (!zone) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString written;
    zone->write(from.secondsSince1970 * 1000.0, written, status);
    if (U_FAILURE(status) || written.isEmpty()) return std::nullopt;
    std::string text;
    written.toUTF8String(text);
    // ICU writes CRLF lines; fold them again so no line passes 75 octets whatever ICU wrote.
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) out += fold(line);
        at = end + 1;
    }
    return out;
}

std::string utcStamp(Date moment) {
    UErrorCode status = U_ZERO_ERROR;
    // The root locale: Gregorian calendar and Latin digits whatever the device's locale.
    icu::SimpleDateFormat format(icu::UnicodeString("yyyyMMdd'T'HHmmss'Z'"), icu::Locale::getRoot(), status);
    if (U_FAILURE(status)) return {};
    format.adoptTimeZone(icu::TimeZone::createTimeZone("UTC"));
    icu::UnicodeString text;
    format.format(moment.secondsSince1970 * 1000.0, text);
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace busdesk::ical
