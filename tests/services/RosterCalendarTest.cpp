// The week's calendar file, read back by libical's parser: a file a calendar program takes without
// error, event by event.
#include <gtest/gtest.h>
#include <libical/ical.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "platform/DateFormat.h"
#include "platform/ICalendarText.h"
#include "platform/Paths.h"
#include "services/RosterCalendar.h"

namespace busdesk::test {
namespace {

std::shared_ptr<ArrangeInfo> duty(std::string on, std::string off, std::string shift,
                                  std::string route = "5路", std::string bus = "12004",
                                  std::string first = "05:50") {
    auto d = std::make_shared<ArrangeInfo>();
    d->Empid = "E10086";
    d->OnWorktime = std::move(on);
    d->OffWorktime = std::move(off);
    d->Shiftnum = std::move(shift);
    d->Routename = std::move(route);
    d->Busname = std::move(bus);
    d->Firstleavetime = std::move(first);
    return d;
}

Date at(const std::string& moment) {
    return *parseDate(moment, "yyyy-MM-dd HH:mm:ss");
}

// One parsed calendar, freed with the test.
struct Parsed {
    std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> root{nullptr, icalcomponent_free};
    std::vector<icalcomponent*> events;
    int errors = 0;
    std::string messages;  // what the errors say
};

// The X-LIC-ERROR texts anywhere under `c`.
void collectErrors(icalcomponent* c, std::string& out) {
    for (auto* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY))
        out += std::string(icalproperty_get_xlicerror(p)) + "\n";
    for (auto* sub = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); sub;
         sub = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
        collectErrors(sub, out);
}

Parsed parse(const std::string& text) {
    Parsed p;
    p.root.reset(icalparser_parse_string(text.c_str()));
    if (!p.root) return p;
    // The RFC's rules for a published calendar (DTSTAMP, UID, DTSTART ... where they must be);
    // each broken rule, and each property the parser could not read, is an X-LIC-ERROR.
    icalrestriction_check(p.root.get());
    p.errors = icalcomponent_count_errors(p.root.get());
    collectErrors(p.root.get(), p.messages);
    for (auto* e = icalcomponent_get_first_component(p.root.get(), ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(p.root.get(), ICAL_VEVENT_COMPONENT))
        p.events.push_back(e);
    return p;
}

std::string uid(icalcomponent* e) {
    return icalcomponent_get_uid(e);
}
int sequence(icalcomponent* e) {
    return icalproperty_get_sequence(icalcomponent_get_first_property(e, ICAL_SEQUENCE_PROPERTY));
}
// DTSTART / DTEND as seconds since 1970, through the zone the calendar's VTIMEZONE defines.
time_t utc(icaltimetype t) {
    EXPECT_NE(t.zone, nullptr) << "no zone";
    return icaltime_as_timet_with_zone(t, t.zone);
}
std::string tzidOf(icalcomponent* e, icalproperty_kind kind) {
    auto* prop = icalcomponent_get_first_property(e, kind);
    auto* param = prop ? icalproperty_get_first_parameter(prop, ICAL_TZID_PARAMETER) : nullptr;
    return param ? icalparameter_get_tzid(param) : "";
}

class RosterCalendarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(setDeviceTimeZone("Asia/Shanghai"));
        stamp = at("2026-12-07 10:00:00");
    }
    void TearDown() override { setDeviceTimeZone("Asia/Shanghai"); }

    // Monday 7 December 2026 on, the demo driver's week: a rest day, an overnight duty.
    std::vector<RosterDay> week() const {
        std::vector<RosterDay> w;
        LocalDate first{2026, 12, 7};
        for (int i = 0; i < 7; ++i) w.push_back({first.addingDays(i), {}});
        w[0].duties = {duty("05:30", "13:45", "早班")};
        w[1].duties = {duty("13:10", "21:40", "晚班")};
        w[3].duties = {duty("21:20", "01:35", "夜班")};  // ends the next morning
        w[4].duties = {duty("05:30", "13:45", "早班")};
        return w;
    }
    Date stamp;
};

TEST_F(RosterCalendarTest, TheFileParsesWithoutErrorAndEachDutyIsOneEventInTheZone) {
    auto calendar = makeRosterCalendar("E10086", week(), {}, stamp);
    EXPECT_EQ(calendar.events, 4);
    EXPECT_EQ(calendar.skipped, 0);
    auto p = parse(calendar.text);
    ASSERT_TRUE(p.root);
    EXPECT_EQ(p.errors, 0) << p.messages << calendar.text;
    ASSERT_EQ(p.events.size(), 4u);  // the rest days give none

    for (auto* line :
         {"BEGIN:VCALENDAR\r\n", "PRODID:", "VERSION:2.0\r\n", "CALSCALE:GREGORIAN\r\n", "METHOD:PUBLISH\r\n",
          "X-WR-CALNAME:我的排班\r\n", "BEGIN:VTIMEZONE\r\n", "TZID:Asia/Shanghai\r\n", "CATEGORIES:排班\r\n",
          "DTSTAMP:20261207T020000Z\r\n", "ORGANIZER;CN=BusDesk:urn:busdesk:roster\r\n"})
        EXPECT_NE(calendar.text.find(line), std::string::npos) << line;
    // Every line ends in CRLF: no bare LF anywhere.
    for (std::size_t i = calendar.text.find('\n'); i != std::string::npos;
         i = calendar.text.find('\n', i + 1))
        ASSERT_EQ(calendar.text[i - 1], '\r') << i;

    auto* first = p.events[0];
    EXPECT_EQ(tzidOf(first, ICAL_DTSTART_PROPERTY), "Asia/Shanghai");
    EXPECT_EQ(tzidOf(first, ICAL_DTEND_PROPERTY), "Asia/Shanghai");
    // 05:30 in Shanghai is 21:30 UTC of the day before.
    EXPECT_EQ(utc(icalcomponent_get_dtstart(first)),
              static_cast<time_t>(at("2026-12-07 05:30:00").secondsSince1970));
    EXPECT_EQ(utc(icalcomponent_get_dtend(first)),
              static_cast<time_t>(at("2026-12-07 13:45:00").secondsSince1970));
    EXPECT_STREQ(icalcomponent_get_summary(first), "线路 5路 · 班次 早班");
    EXPECT_STREQ(icalcomponent_get_location(first), "12004");
    EXPECT_STREQ(icalcomponent_get_description(first), "首发时间：05:50");
    EXPECT_EQ(sequence(first), 0);

    // The night duty ends at 01:35 of the next day.
    auto* night = p.events[2];
    EXPECT_EQ(utc(icalcomponent_get_dtstart(night)),
              static_cast<time_t>(at("2026-12-10 21:20:00").secondsSince1970));
    EXPECT_EQ(utc(icalcomponent_get_dtend(night)),
              static_cast<time_t>(at("2026-12-11 01:35:00").secondsSince1970));
}

TEST_F(RosterCalendarTest, TheZoneComesWithItsRealRulesSoSummerAndWinterTimesBothHold) {
    ASSERT_TRUE(setDeviceTimeZone("Europe/Berlin"));
    std::vector<RosterDay> w{{{2027, 3, 27}, {duty("22:00", "06:00", "夜班")}},  // across the spring change
                             {{2027, 7, 1}, {duty("05:30", "13:45", "早班")}}};
    auto calendar = makeRosterCalendar("E10086", w, {}, stamp);
    auto p = parse(calendar.text);
    EXPECT_EQ(p.errors, 0) << p.messages << calendar.text;
    ASSERT_EQ(p.events.size(), 2u);
    EXPECT_NE(calendar.text.find("BEGIN:DAYLIGHT"), std::string::npos) << calendar.text;
    // 22:00 CET is 21:00 UTC; 06:00 the next morning is already CEST, 04:00 UTC: eight hours
    // on the clock, seven in fact.
    auto night = p.events[0];
    EXPECT_EQ(utc(icalcomponent_get_dtend(night)) - utc(icalcomponent_get_dtstart(night)), 7 * 3600);
    // 05:30 CEST is 03:30 UTC.
    EXPECT_EQ(utc(icalcomponent_get_dtstart(p.events[1])), static_cast<time_t>(1814412600));
}

TEST_F(RosterCalendarTest, TheSameWeekExportedTwiceKeepsItsUIDsAndAChangedDutyGetsAHigherSequence) {
    auto one = makeRosterCalendar("E10086", week(), {}, stamp);
    auto two = makeRosterCalendar("E10086", week(), one.exported, at("2026-12-08 18:00:00"));
    auto p1 = parse(one.text), p2 = parse(two.text);
    ASSERT_EQ(p1.events.size(), p2.events.size());
    for (std::size_t i = 0; i < p1.events.size(); ++i) {
        EXPECT_EQ(uid(p1.events[i]), uid(p2.events[i]));
        EXPECT_EQ(sequence(p2.events[i]), 0);  // nothing changed
    }
    EXPECT_EQ(uid(p1.events[0]), dutyUID("E10086", {2026, 12, 7}, "早班"));
    // The UIDs differ by day and shift, and belong to the employee.
    std::set<std::string> uids;
    for (auto* e : p1.events) uids.insert(uid(e));
    EXPECT_EQ(uids.size(), p1.events.size());
    EXPECT_NE(dutyUID("E10010", {2026, 12, 7}, "早班"), dutyUID("E10086", {2026, 12, 7}, "早班"));

    // Tuesday's late shift moved by half an hour: its SEQUENCE goes up, the others' stay.
    auto changed = week();
    changed[1].duties = {duty("13:40", "22:10", "晚班")};
    auto three = makeRosterCalendar("E10086", changed, two.exported, at("2026-12-08 19:00:00"));
    auto p3 = parse(three.text);
    ASSERT_EQ(p3.events.size(), 4u);
    EXPECT_EQ(uid(p3.events[1]), uid(p1.events[1]));
    EXPECT_EQ(sequence(p3.events[1]), 1);
    EXPECT_EQ(sequence(p3.events[0]), 0);
    // Once more unchanged: it stays at 1.
    auto four = makeRosterCalendar("E10086", changed, three.exported, at("2026-12-08 20:00:00"));
    EXPECT_EQ(sequence(parse(four.text).events[1]), 1);
}

TEST_F(RosterCalendarTest, LongChineseTextsFoldAt75OctetsAndSpecialCharactersAreEscaped) {
    std::vector<RosterDay> w{
        {{2026, 12, 7},
         {duty("05:30", "13:45", "早班", "快速公交一号线（燕山立交桥—泉城广场—济南西站—长清大学城）区间车",
               "12004,备车;临时\\调配")}}};
    auto calendar = makeRosterCalendar("E10086", w, {}, stamp);
    std::istringstream lines(calendar.text);
    std::string line;
    bool continued = false;
    while (std::getline(lines, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        EXPECT_LE(line.size(), 75u) << line;
        // A line never starts or ends in the middle of a character.
        EXPECT_TRUE(std::string_view(line).find_first_not_of(' ') == std::string::npos ||
                    (static_cast<unsigned char>(line[line[0] == ' ' ? 1 : 0]) & 0xC0) != 0x80)
            << line;
        continued = continued || line[0] == ' ';
    }
    EXPECT_TRUE(continued);
    auto p = parse(calendar.text);
    EXPECT_EQ(p.errors, 0) << p.messages << calendar.text;
    ASSERT_EQ(p.events.size(), 1u);
    // Unfolded and unescaped, the texts are whole again.
    EXPECT_STREQ(icalcomponent_get_summary(p.events[0]),
                 "线路 快速公交一号线（燕山立交桥—泉城广场—济南西站—长清大学城）区间车 · 班次 早班");
    EXPECT_STREQ(icalcomponent_get_location(p.events[0]), "12004,备车;临时\\调配");
    EXPECT_NE(calendar.text.find("LOCATION:12004\\,备车\\;临时\\\\调配\r\n"), std::string::npos);
}

TEST(ICalendarTextTest, FoldingCutsAtCharacterStartsAndEscapingCoversLineBreaks) {
    std::string ascii(160, 'a');
    EXPECT_EQ(ical::fold(ascii), std::string(75, 'a') + "\r\n " + std::string(74, 'a') + "\r\n " +
                                     std::string(11, 'a') + "\r\n");
    // 3-octet characters after 1 octet: 24 fit before the 75th octet (73 octets), not 25.
    std::string chinese = "x";
    for (int i = 0; i < 30; ++i) chinese += "班";
    auto folded = ical::fold(chinese);
    EXPECT_EQ(folded.substr(0, 73), chinese.substr(0, 73));
    EXPECT_EQ(folded.substr(73, 3), "\r\n ");
    EXPECT_EQ(ical::fold("short"), "short\r\n");
    EXPECT_EQ(ical::escapeText("a\\b;c,d\r\ne\nf\x01g"), "a\\\\b\\;c\\,d\\ne\\nfg");
    EXPECT_EQ(ical::utcStamp(Date{0}), "19700101T000000Z");
}

TEST_F(RosterCalendarTest, ADutyWhoseTimeDoesNotReadIsLeftOutAndCounted) {
    auto w = week();
    w[2].duties = {duty("25:00", "13:45", "早班"), duty("", "13:45", "晚班"), duty("5点半", "13:45", "夜班")};
    auto calendar = makeRosterCalendar("E10086", w, {}, stamp);
    EXPECT_EQ(calendar.events, 4);
    EXPECT_EQ(calendar.skipped, 3);
    EXPECT_EQ(parse(calendar.text).errors, 0);
    EXPECT_EQ(rosterTimeOfDay("05:30"), 5 * 3600 + 30 * 60);
    EXPECT_EQ(rosterTimeOfDay("23:59:59"), 86399);
    for (auto* bad : {"24:00", "5:30", "05:60", "05-30", "05:30:", "", "05:30:75"})
        EXPECT_FALSE(rosterTimeOfDay(bad)) << bad;
}

class CalendarFileTest : public RosterCalendarTest {
  protected:
    void SetUp() override {
        RosterCalendarTest::SetUp();
        dir = std::filesystem::temp_directory_path() / ("busdesk-calendar-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        Paths::setProfileDir((dir / "profile").string());
    }
    void TearDown() override {
        Paths::clearProfileDir();
        std::filesystem::remove_all(dir);
        RosterCalendarTest::TearDown();
    }
    static std::string read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path dir;
};

TEST_F(CalendarFileTest, AnExportWritesTheFileAndKeepsItsStateForTheNextOne) {
    auto file = dir / "week.ics";
    auto outcome = exportRosterCalendar(file.string(), "E10086", week(), stamp);
    ASSERT_TRUE(outcome.written) << outcome.error;
    EXPECT_EQ(outcome.events, 4);
    EXPECT_EQ(parse(read(file)).errors, 0);

    auto statePath = export_state::pathFor("E10086");
    struct stat st {};
    ASSERT_EQ(::stat(statePath.c_str(), &st), 0) << statePath;
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(export_state::read(statePath).size(), 4u);

    // A later export of a changed week raises the changed duty's SEQUENCE from the kept state.
    auto changed = week();
    changed[0].duties = {duty("06:00", "14:15", "早班")};
    ASSERT_TRUE(exportRosterCalendar(file.string(), "E10086", changed, stamp).written);
    auto p = parse(read(file));
    ASSERT_EQ(p.events.size(), 4u);
    EXPECT_EQ(sequence(p.events[0]), 1);
    EXPECT_EQ(sequence(p.events[1]), 0);
    // Another employee's state is kept apart.
    EXPECT_NE(export_state::pathFor("E10010"), statePath);
}

TEST_F(CalendarFileTest, AFailedWriteSaysWhyLeavesNoFileAndKeepsNoState) {
    auto missing = dir / "no-such-folder" / "week.ics";
    auto outcome = exportRosterCalendar(missing.string(), "E10086", week(), stamp);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
    EXPECT_FALSE(std::filesystem::exists(export_state::pathFor("E10086")));

    // A folder in the file's place: the folder stays as it was, nothing beside it.
    auto taken = dir / "taken.ics";
    std::filesystem::create_directories(taken);
    outcome = exportRosterCalendar(taken.string(), "E10086", week(), stamp);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(taken));
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

TEST_F(CalendarFileTest, ADamagedStateFileCountsAsNothingExported) {
    auto statePath = export_state::pathFor("E10086");
    std::filesystem::create_directories(std::filesystem::path(statePath).parent_path());
    std::ofstream(statePath) << "{\"duties\": [1, 2";
    EXPECT_TRUE(export_state::read(statePath).empty());
    auto file = dir / "week.ics";
    ASSERT_TRUE(exportRosterCalendar(file.string(), "E10086", week(), stamp).written);
    EXPECT_EQ(export_state::read(statePath).size(), 4u);
}

}  // namespace
}  // namespace busdesk::test
