#include "services/RosterCalendar.h"

#include <boost/json.hpp>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/ICalendarText.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Translation.h"

namespace busdesk {

namespace {
constexpr const char* kProductID = "-//BusDesk//My week//ZH";
constexpr const char* kCalendarName = N_("我的排班");
constexpr const char* kCategory = N_("排班");
constexpr const char* kOrganizer = "urn:busdesk:roster";
// Duties more than this many days before an exported week are no longer kept.
constexpr int kKeptDays = 62;
constexpr std::size_t kMaxStateBytes = 4 << 20;

std::string hexOfOthers(const std::string& text) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            out += static_cast<char>(c);
        } else {
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::string dayText(const LocalDate& d, const char* format) {
    char buf[16];
    std::snprintf(buf, sizeof buf, format, d.year, d.month, d.day);
    return buf;
}

// "20261209T053000": a local date-time of the zone.
std::string localDateTime(const LocalDate& day, int seconds) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02dT%02d%02d%02d", day.year, day.month, day.day, seconds / 3600,
                  seconds % 3600 / 60, seconds % 60);
    return buf;
}

std::string text(const std::optional<std::string>& value) {
    return value.value_or(std::string());
}
}  // namespace

std::string dutyUID(const std::string& empID, const LocalDate& day, const std::string& shift) {
    return hexOfOthers(empID) + "-" + dayText(day, "%04d%02d%02d") + "-" + hexOfOthers(shift) + "@busdesk";
}

std::optional<int> rosterTimeOfDay(const std::string& t) {
    auto digits = [&](std::size_t at) {
        return at + 1 < t.size() && t[at] >= '0' && t[at] <= '9' && t[at + 1] >= '0' && t[at + 1] <= '9'
                   ? std::optional<int>((t[at] - '0') * 10 + (t[at + 1] - '0'))
                   : std::nullopt;
    };
    if (t.size() != 5 && t.size() != 8) return std::nullopt;
    auto h = digits(0), m = digits(3);
    std::optional<int> s = 0;
    if (t[2] != ':' || !h || !m || *h > 23 || *m > 59) return std::nullopt;
    if (t.size() == 8) {
        s = digits(6);
        if (t[5] != ':' || !s || *s > 59) return std::nullopt;
    }
    return *h * 3600 + *m * 60 + *s;
}

RosterCalendar makeRosterCalendar(const std::string& empID, const std::vector<RosterDay>& week,
                                  const ExportedDuties& before, Date stamp) {
    RosterCalendar out;
    out.exported = before;
    const std::string zone = ical::deviceZoneID();
    const std::string zoneParam = ";TZID=" + zone;
    const std::string dtstamp = ical::utcStamp(stamp);

    std::string events;
    for (const auto& day : week) {
        for (const auto& duty : day.duties) {
            if (!duty) continue;
            auto on = rosterTimeOfDay(text(duty->OnWorktime));
            auto off = rosterTimeOfDay(text(duty->OffWorktime));
            if (!on || !off) {
                ++out.skipped;
                continue;
            }
            // An off-duty time before the on-duty time is the next morning.
            LocalDate endDay = *off < *on ? day.day.addingDays(1) : day.day;
            ExportedDuty now{dayText(day.day, "%04d-%02d-%02d"), localDateTime(day.day, *on),
                             localDateTime(endDay, *off), 0};
            const std::string shift = text(duty->Shiftnum);
            const std::string uid = dutyUID(empID, day.day, shift);
            if (auto it = before.find(uid); it != before.end())
                now.sequence =
                    it->second.sequence + (it->second.start != now.start || it->second.end != now.end);
            out.exported[uid] = now;

            events += ical::contentLine("BEGIN", "VEVENT");
            events += ical::contentLine("UID", uid);
            events += ical::contentLine("DTSTAMP", dtstamp);
            events += ical::contentLine("SEQUENCE", std::to_string(now.sequence));
            // A published event names who publishes it: the roster itself, not a person to reply to.
            events += ical::contentLine("ORGANIZER;CN=BusDesk", kOrganizer);
            events += ical::contentLine("DTSTART" + zoneParam, now.start);
            events += ical::contentLine("DTEND" + zoneParam, now.end);
            events += ical::contentLine(
                "SUMMARY", ical::escapeText(trFormat("线路 %1 · 班次 %2", {text(duty->Routename), shift})));
            if (!text(duty->Busname).empty())
                events += ical::contentLine("LOCATION", ical::escapeText(text(duty->Busname)));
            if (!text(duty->Firstleavetime).empty())
                events += ical::contentLine(
                    "DESCRIPTION", ical::escapeText(trFormat("首发时间：%1", {text(duty->Firstleavetime)})));
            events += ical::contentLine("CATEGORIES", ical::escapeText(tr(kCategory)));
            events += ical::contentLine("END", "VEVENT");
            ++out.events;
        }
    }

    // What lies well before this week is of no use to a later export any more.
    if (!week.empty()) {
        std::string oldest = dayText(week.front().day.addingDays(-kKeptDays), "%04d-%02d-%02d");
        for (auto it = out.exported.begin(); it != out.exported.end();)
            it = it->second.day < oldest ? out.exported.erase(it) : std::next(it);
    }

    std::string& t = out.text;
    t += ical::contentLine("BEGIN", "VCALENDAR");
    t += ical::contentLine("PRODID", kProductID);
    t += ical::contentLine("VERSION", "2.0");
    t += ical::contentLine("CALSCALE", "GREGORIAN");
    t += ical::contentLine("METHOD", "PUBLISH");
    t += ical::contentLine("X-WR-CALNAME", ical::escapeText(tr(kCalendarName)));
    // The zone's rules from the start of the first year the week touches.
    LocalDate first = week.empty() ? LocalDate::of(stamp) : week.front().day;
    if (auto vtimezone = ical::deviceZoneComponent(LocalDate{first.year, 1, 1}.toDate())) t += *vtimezone;
    t += events;
    t += ical::contentLine("END", "VCALENDAR");
    return out;
}

namespace export_state {

std::string pathFor(const std::string& empID) {
    return Paths::dataDir() + "/calendar/" + hexOfOthers(empID) + ".json";
}

ExportedDuties read(const std::string& path) {
    ExportedDuties out;
    std::ifstream in(path, std::ios::binary);
    if (!in) return out;
    std::string data;
    data.resize(kMaxStateBytes + 1);
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(in.gcount()));
    boost::system::error_code ec;
    auto value = data.size() > kMaxStateBytes ? boost::json::value() : boost::json::parse(data, ec);
    const auto* duties = !ec && value.is_object() ? value.as_object().if_contains("duties") : nullptr;
    if (!duties || !duties->is_object()) {
        Log::line("calendar export: " + path + " is damaged; every duty is exported as new");
        return out;
    }
    for (const auto& [uid, v] : duties->as_object()) {
        const auto* o = v.if_object();
        const auto* day = o ? o->if_contains("day") : nullptr;
        const auto* start = o ? o->if_contains("start") : nullptr;
        const auto* end = o ? o->if_contains("end") : nullptr;
        const auto* sequence = o ? o->if_contains("sequence") : nullptr;
        if (!day || !day->is_string() || !start || !start->is_string() || !end || !end->is_string() ||
            !sequence || !sequence->is_int64() || sequence->as_int64() < 0 || sequence->as_int64() > 1000000)
            continue;
        out[std::string(uid)] =
            ExportedDuty{std::string(day->as_string()), std::string(start->as_string()),
                         std::string(end->as_string()), static_cast<int>(sequence->as_int64())};
    }
    return out;
}

std::string text(const ExportedDuties& duties) {
    boost::json::object all;
    for (const auto& [uid, d] : duties)
        all[uid] = {{"day", d.day}, {"start", d.start}, {"end", d.end}, {"sequence", d.sequence}};
    boost::json::object root;
    root["duties"] = std::move(all);
    return boost::json::serialize(root);
}

int write(const std::string& path, const ExportedDuties& duties) {
    return atomic_file::replace(path, text(duties));
}

}  // namespace export_state

CalendarExportOutcome exportRosterCalendar(const std::string& path, const std::string& empID,
                                           const std::vector<RosterDay>& week, Date stamp) {
    CalendarExportOutcome outcome;
    const std::string statePath = export_state::pathFor(empID);
    auto calendar = makeRosterCalendar(empID, week, export_state::read(statePath), stamp);
    outcome.events = calendar.events;
    outcome.skipped = calendar.skipped;
    // The user's folder must be there already: a mistyped path makes no folders.
    std::error_code ec;
    if (!std::filesystem::is_directory(atomic_file::parentOf(path), ec)) {
        outcome.error = std::generic_category().message(ENOENT);
        return outcome;
    }
    if (int err = atomic_file::replace(path, calendar.text)) {
        outcome.error = std::generic_category().message(err);
        return outcome;
    }
    outcome.written = true;
    // The file is written: only now does it count as exported.
    if (int err = export_state::write(statePath, calendar.exported))
        Log::line("calendar export: the export state could not be kept: " +
                  std::generic_category().message(err));
    return outcome;
}

}  // namespace busdesk
