#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include <memory>
#include <set>

#include "platform/Calendar.h"
#include "platform/Date.h"
#include "platform/DateFormat.h"
#include "platform/RunLoop.h"
#include "platform/UUID.h"

using namespace busdesk;

namespace {

// Pins the device zone to China (UTC+8, no daylight saving) and restores the previous zone.
class DateTest : public testing::Test {
  protected:
    void SetUp() override {
        saved_.reset(icu::TimeZone::createDefault());
        ASSERT_TRUE(setDeviceTimeZone("Asia/Shanghai"));
    }
    void TearDown() override {
        icu::TimeZone::adoptDefault(saved_.release());
        Date::setNow(std::nullopt);
    }
    static Date day(std::string_view text) {
        auto d = parseDate(text, "yyyy-MM-dd");
        EXPECT_TRUE(d) << text;
        return d.value_or(Date{});
    }
    std::unique_ptr<icu::TimeZone> saved_;
};

// 2025-03-05 01:02:03 UTC, which is 09:02:03 in Shanghai.
constexpr double kMoment = 1741136523;

}  // namespace

TEST_F(DateTest, FormatsTheSystemPatternsInTheDeviceZone) {
    Date d{kMoment};
    EXPECT_EQ(formatDate(d, "yyyy-MM-dd"), "2025-03-05");
    EXPECT_EQ(formatDate(d, "yyyy-MM-dd HH:mm:ss"), "2025-03-05 09:02:03");
    EXPECT_EQ(formatDate(d, "yyyy-MM"), "2025-03");
    EXPECT_EQ(formatDate(d, "yyyy-MM-01"), "2025-03-01");
    EXPECT_EQ(formatDate(d, "yyyy-MM-dd'T'HH:mm:ssZZZ"), "2025-03-05T09:02:03+0800");
    EXPECT_EQ(formatDate(d, "yyyy-MM-dd'T'HHmmssZZZZ"), "2025-03-05T090203GMT+08:00");
    ASSERT_TRUE(setDeviceTimeZone("UTC"));
    EXPECT_EQ(formatDate(d, "yyyy-MM-dd HH:mm:ss"), "2025-03-05 01:02:03");
    EXPECT_FALSE(setDeviceTimeZone("Mars/Olympus"));
    // Formatters are kept between calls: a zone set by any means is still the one used.
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("Asia/Tokyo"));
    EXPECT_EQ(formatDate(d, "yyyy-MM-dd HH:mm:ss"), "2025-03-05 10:02:03");
    EXPECT_EQ(parseDate("2025-03-05 10:02:03", "yyyy-MM-dd HH:mm:ss").value_or(Date{}).secondsSince1970,
              kMoment);
}

TEST_F(DateTest, ParsesWholeTextsOnly) {
    EXPECT_EQ(parseDate("2025-03-05 09:02:03", "yyyy-MM-dd HH:mm:ss"), Date{kMoment});
    EXPECT_EQ(parseDate("2025-03-05T01:02:03+0000", "yyyy-MM-dd'T'HH:mm:ssZZZ"), Date{kMoment});
    EXPECT_EQ(parseDate("2025-03-05T090203GMT+08:00", "yyyy-MM-dd'T'HHmmssZZZZ"), Date{kMoment});
    auto month = parseDate("2025-03", "yyyy-MM");
    ASSERT_TRUE(month);
    EXPECT_EQ(formatDate(*month, "yyyy-MM-dd HH:mm:ss"), "2025-03-01 00:00:00");
    EXPECT_EQ(parseDate("2025-03-01", "yyyy-MM-01"), parseDate("2025-03-01", "yyyy-MM-dd"));

    EXPECT_EQ(parseDate("2025-03-05 trailing", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("2025-03-05 09:02:03", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("2025-03", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("yesterday", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("2025-03-02", "yyyy-MM-01"), std::nullopt);
    EXPECT_EQ(parseDate("\xFF\xFE", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("2025-03-05", ""), std::nullopt);
}

TEST_F(DateTest, StrictParsingRejectsImpossibleDays) {
    EXPECT_EQ(parseDate("2025-02-30", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("2025-13-01", "yyyy-MM-dd"), std::nullopt);
    EXPECT_EQ(parseDate("2025-01-01 24:30:00", "yyyy-MM-dd HH:mm:ss"), std::nullopt);
    EXPECT_TRUE(parseDate("2024-02-29", "yyyy-MM-dd"));
    EXPECT_EQ(parseDate("2025-02-29", "yyyy-MM-dd"), std::nullopt);
}

TEST_F(DateTest, CalendarDifferenceCountsCalendarMonthsNotDays) {
    EXPECT_EQ(calendarDifference(day("2025-01-15"), day("2025-02-14")), (DateComponents{0, 0, 30}));
    EXPECT_EQ(calendarDifference(day("2025-01-15"), day("2025-02-15")), (DateComponents{0, 1, 0}));
    EXPECT_EQ(calendarDifference(day("2025-02-10"), day("2025-02-01")), (DateComponents{0, 0, -9}));
    EXPECT_EQ(calendarDifference(day("2023-11-20"), day("2025-02-21")), (DateComponents{1, 3, 1}));
    // Backwards the months are taken from the start: 03-01 less one month is 02-01, then 17 days
    // back to 01-15.
    EXPECT_EQ(calendarDifference(day("2025-03-01"), day("2025-01-15")), (DateComponents{0, -1, -17}));
    EXPECT_EQ(calendarDifference(day("2025-03-05"), day("2025-03-05")), (DateComponents{0, 0, 0}));
    // A part of a day does not count as a day.
    auto a = parseDate("2025-03-05 10:00:00", "yyyy-MM-dd HH:mm:ss");
    auto b = parseDate("2025-03-06 09:00:00", "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(calendarDifference(*a, *b), (DateComponents{0, 0, 0}));
}

// The calendar runs on the main loop's clock: a pinned start moves with virtual time (across
// midnight too), carries on when the clock is replaced, and is released to the system clock.
TEST_F(DateTest, NowStartsWherePinnedAndRunsOnTheMainLoopsClock) {
    auto& loop = RunLoop::main();
    const auto previous = loop.clock();
    loop.useManualClock();
    const Date beforeMidnight = *parseDate("2025-03-05 23:59:50", "yyyy-MM-dd HH:mm:ss");
    Date::setNow(beforeMidnight);
    EXPECT_EQ(Date::now(), beforeMidnight);
    EXPECT_EQ(formatDate(Date::now(), "yyyy-MM-dd"), "2025-03-05");
    loop.advance(std::chrono::seconds(20));
    EXPECT_EQ(Date::now(), beforeMidnight.addingSeconds(20));
    EXPECT_EQ(formatDate(Date::now(), "yyyy-MM-dd HH:mm:ss"), "2025-03-06 00:00:10");

    loop.setClock(std::make_shared<ManualClock>());  // a fresh clock reads zero
    EXPECT_EQ(Date::now(), beforeMidnight.addingSeconds(20));
    loop.setClock(previous);  // real time runs on from there
    EXPECT_GE(Date::now().secondsSince1970, beforeMidnight.secondsSince1970 + 20);
    EXPECT_LT(Date::now().secondsSince1970, beforeMidnight.secondsSince1970 + 80);

    Date::setNow(std::nullopt);
    EXPECT_GT(Date::now().secondsSince1970, 1.7e9);
    EXPECT_NE(formatDate(Date::now(), "yyyy-MM-dd"), "2025-03-06");
}

TEST(UUID, CanonicalUpperCaseVersion4AndUnique) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::string u = uuidString();
        ASSERT_EQ(u.size(), 36u);
        for (std::size_t k = 0; k < u.size(); ++k) {
            if (k == 8 || k == 13 || k == 18 || k == 23) {
                EXPECT_EQ(u[k], '-') << u;
            } else {
                EXPECT_TRUE((u[k] >= '0' && u[k] <= '9') || (u[k] >= 'A' && u[k] <= 'F')) << u;
            }
        }
        EXPECT_EQ(u[14], '4') << u;
        EXPECT_NE(std::string("89AB").find(u[19]), std::string::npos) << u;
        seen.insert(u);
    }
    EXPECT_EQ(seen.size(), 200u);
}
