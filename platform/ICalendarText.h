#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Date.h"

namespace busdesk::ical {

// Pieces of an iCalendar file (RFC 5545): escaped texts, content lines folded at 75 octets and
// ended with CRLF, and the time zone component of the device zone.

// A TEXT value: backslash, semicolon and comma get a backslash; a line break becomes "\n".
// Other control characters are dropped (they may not appear in a content line).
std::string escapeText(std::string_view text);

// `line` (without its line end) folded as the RFC asks: no line longer than 75 octets before its
// CRLF, a continuation starts with one space, and a UTF-8 character is never split.
std::string fold(std::string_view line);

// "NAME:value" (the name may carry parameters, "DTSTART;TZID=Asia/Shanghai"), folded, with CRLF.
std::string contentLine(std::string_view name, std::string_view value);

// The device time zone's identifier ("Asia/Shanghai").
std::string deviceZoneID();

// The VTIMEZONE of the device zone with its real rules from `from` on (every transition after it,
// and the recurring rule in force), as folded CRLF lines; nothing when the zone has no rules.
std::optional<std::string> deviceZoneComponent(Date from);

// A moment as UTC date-time text, "20261209T013000Z".
std::string utcStamp(Date moment);

}  // namespace busdesk::ical
