#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/ArrangeInfo.h"
#include "platform/Date.h"
#include "platform/LocalDate.h"

namespace busdesk {

// One's own duties of a day, as the week shows them.
struct RosterDay {
    LocalDate day;
    std::vector<std::shared_ptr<ArrangeInfo>> duties;
};

// What the last export wrote of one duty, so that the next one can tell a changed duty.
struct ExportedDuty {
    std::string day;         // "yyyy-MM-dd"
    std::string start, end;  // the DTSTART and DTEND values written
    int sequence = 0;
    bool operator==(const ExportedDuty&) const = default;
};
using ExportedDuties = std::map<std::string, ExportedDuty>;  // by UID

// The week as an iCalendar file (RFC 5545): one VEVENT per duty, times in the device zone with
// its VTIMEZONE, UIDs from the employee, the day and the shift only (so a second export updates
// the events the first made), SEQUENCE one higher than last time when the duty's times changed.
struct RosterCalendar {
    std::string text;
    ExportedDuties exported;  // `before` with this week's duties put in
    int events = 0;
    int skipped = 0;  // duties left out because a time did not read
};
RosterCalendar makeRosterCalendar(const std::string& empID, const std::vector<RosterDay>& week,
                                  const ExportedDuties& before, Date stamp);

// "E10086-20261209-e697a9e78fad@busdesk": the bytes of the shift that are no letter or digit are
// written as hex, so the UID is plain ASCII.
std::string dutyUID(const std::string& empID, const LocalDate& day, const std::string& shift);

// A time of the roster ("05:30" or "05:30:00") as seconds after midnight; nothing when it does not
// read as one.
std::optional<int> rosterTimeOfDay(const std::string& text);

// The kept export state: the data folder's calendar/<employee>.json, mode 0600, replaced whole.
namespace export_state {
std::string pathFor(const std::string& empID);
// An unreadable or damaged file reads as nothing exported yet (and says so in the log).
ExportedDuties read(const std::string& path);
std::string text(const ExportedDuties& duties);
// 0, or the errno of the write that failed.
int write(const std::string& path, const ExportedDuties& duties);
}  // namespace export_state

// Writes the week's calendar to `path` (atomically: a failed write leaves no partial file) and
// then keeps what it exported for the employee's next export.
struct CalendarExportOutcome {
    bool written = false;
    std::string error;  // why the file could not be written
    int events = 0;
    int skipped = 0;
};
CalendarExportOutcome exportRosterCalendar(const std::string& path, const std::string& empID,
                                           const std::vector<RosterDay>& week, Date stamp);

}  // namespace busdesk
