#include <libical/ical.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "screens/operations/MyWeekViewController.h"
#include "services/OfficeQuery.h"
#include "tests/screens/operations/DriverDayFixture.h"
#include "ui/SaveFileSheet.h"

namespace busdesk::test {
namespace {

TEST(MyWeekHeadingsTest, TodayAndTomorrowComeBeforeTheDateAndTheWeekdayAfterIt) {
    LocalDate today{2026, 12, 31};
    EXPECT_EQ(MyWeekViewController::heading(today, today), "今天 12月31日 星期四");
    EXPECT_EQ(MyWeekViewController::heading({2027, 1, 1}, today), "明天 1月1日 星期五");
    EXPECT_EQ(MyWeekViewController::heading({2027, 1, 2}, today), "1月2日 星期六");
    EXPECT_EQ(MyWeekViewController::heading({2027, 1, 3}, today), "1月3日 星期日");
    // Across February of a leap year.
    EXPECT_EQ(LocalDate({2028, 2, 27}).addingDays(3), (LocalDate{2028, 3, 1}));
    EXPECT_EQ(LocalDate({2026, 1, 1}).addingDays(-1), (LocalDate{2025, 12, 31}));
}

TEST(MyWeekHeadingsTest, OnlyTheSignedInEmployeesRowsAreKept) {
    std::vector<std::shared_ptr<ArrangeInfo>> rows;
    for (auto* who : {"E10086", "E20041", "E10086", ""}) {
        rows.push_back(std::make_shared<ArrangeInfo>());
        rows.back()->Empid = std::string(who);
    }
    ArrangeInfoList list;
    list.ArrangeList = WireModelArray<ArrangeInfo>(rows);
    auto mine = MyWeekViewController::ownDuties(&list, "E10086");
    ASSERT_EQ(mine.size(), 2u);
    for (auto& row : mine) EXPECT_EQ(row->Empid, "E10086");
    EXPECT_TRUE(MyWeekViewController::ownDuties(&list, "").empty());
    EXPECT_TRUE(MyWeekViewController::ownDuties(nullptr, "E10086").empty());
}

// Counts the roster queries out at once, as the screen sends them.
class InFlightCounter : public QueryObserver {
  public:
    explicit InFlightCounter(std::function<int()> inFlight) : inFlight_(std::move(inFlight)) {}
    void queryWillSend(const QueryKey& key) override {
        if (key.method != "Query_Arrange") return;
        ++sent;
        most = std::max(most, inFlight_());
    }
    void queryDidDecode(const QueryKey&, const RawAnswer&) override {}
    int sent = 0;
    int most = 0;

  private:
    std::function<int()> inFlight_;
};

class MyWeekScreenTest : public DriverDayTest {
  protected:
    void TearDown() override {
        setQueryObserver(nullptr);
        DriverDayTest::TearDown();
    }
    std::shared_ptr<MyWeekViewController> openWeek() {
        openMenu("我的排班");
        return top<MyWeekViewController>();
    }
    static int rows(MyWeekViewController& week, int section) {
        return week.numberOfRows(*week.weekList, section);
    }
    static std::string read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(MyWeekScreenTest, SevenDaysFromTodayWithTheDriversOwnDutiesAndRestDays) {
    auto counter = std::make_shared<InFlightCounter>([this] {
        auto week = top<MyWeekViewController>();
        return week ? week->inFlight() : 0;
    });
    setQueryObserver(counter);
    auto week = openWeek();
    ASSERT_TRUE(week);
    std::string s = screen();
    EXPECT_TRUE(
        contains(s, "bar: [#presentLeftMenuViewController] \"我的排班\" [#presentRightMenuViewController]"))
        << s;
    EXPECT_TRUE(contains(s, "button #exportCalendar: \"导出日历\"")) << s;
    EXPECT_FALSE(contains(s, "overlay:")) << s;

    // Seven queries, one a day from today, never more than three out at once.
    auto urls = requestsTo("Query_Arrange");
    ASSERT_EQ(urls.size(), 7u);
    std::set<std::string> days;
    for (auto& url : urls) days.insert(queryParam(url, "RunDate").value_or(""));
    EXPECT_EQ(days, (std::set<std::string>{"2026-12-07", "2026-12-08", "2026-12-09", "2026-12-10",
                                           "2026-12-11", "2026-12-12", "2026-12-13"}));
    EXPECT_EQ(counter->sent, 7);
    EXPECT_EQ(counter->most, MyWeekViewController::kMaxInFlight);

    // One section a day: the headings, then five days of duty and two of rest for this driver.
    ASSERT_EQ(week->days().size(), 7u);
    EXPECT_TRUE(contains(s, "\"今天 12月7日 星期一\"")) << s;
    EXPECT_TRUE(contains(s, "\"明天 12月8日 星期二\"")) << s;
    int duties = 0, rest = 0;
    for (std::size_t i = 0; i < week->days().size(); ++i) {
        const auto& day = week->days()[i];
        EXPECT_TRUE(day.answered);
        EXPECT_FALSE(day.failed);
        for (auto& d : day.duties) EXPECT_EQ(d->Empid, "E10086");
        duties += static_cast<int>(day.duties.size());
        if (day.duties.empty()) {
            ++rest;
            EXPECT_EQ(rows(*week, static_cast<int>(i)), 1);
        }
    }
    EXPECT_EQ(duties, 5);
    EXPECT_EQ(rest, 2);
    // A duty shows the roster's lines, without the name.
    ASSERT_TRUE(run("expect 上班时间：\nexpect 首发时间：\nexpect 线路：5路"));
    EXPECT_FALSE(contains(s, "员工姓名：")) << s;
    EXPECT_EQ(count(s, "\"休息\""), 2) << s;
}

TEST_F(MyWeekScreenTest, AFailedDaySaysSoWhileTheOthersShowTheirsAndAPullAsksAgain) {
    sim::Fault fault;
    fault.status = 500;
    sim().faults().set("Query_Arrange@2026-12-09", fault);
    auto week = openWeek();
    ASSERT_TRUE(week);
    std::string s = screen();
    EXPECT_EQ(count(s, "\"网络异常，下拉重试\""), 1) << s;
    EXPECT_TRUE(week->days()[2].failed);
    EXPECT_EQ(rows(*week, 2), 1);
    for (int i : {0, 1, 3, 4, 5, 6}) EXPECT_TRUE(week->days()[static_cast<std::size_t>(i)].answered) << i;
    EXPECT_FALSE(contains(s, "overlay:")) << s;

    sim().faults().clear();
    ASSERT_TRUE(run("pull\nwait 3"));
    s = screen();
    EXPECT_EQ(requestsTo("Query_Arrange").size(), 14u);
    EXPECT_FALSE(contains(s, "网络异常，下拉重试")) << s;
    EXPECT_TRUE(week->days()[2].answered);
    EXPECT_FALSE(week->days()[2].failed);
}

TEST_F(MyWeekScreenTest, TheHomeShortcutPushesTheWeek) {
    openShortcut("showMyWeek");
    ASSERT_TRUE(top<MyWeekViewController>());
    EXPECT_TRUE(contains(screen(), "bar: [#goBack] \"我的排班\" [#goIndex]"));
    EXPECT_EQ(requestsTo("Query_Arrange").size(), 7u);
}

TEST_F(MyWeekScreenTest, ExportingThroughTheSaveSheetWritesACalendarOfTheWeeksDuties) {
    auto week = openWeek();
    ASSERT_TRUE(week);
    auto file = std::filesystem::path(Paths::profileDir()) / "week.ics";
    ASSERT_TRUE(run("tap #exportCalendar"));
    std::string s = screen();
    EXPECT_TRUE(contains(s, "picker: \"导出日历\"")) << s;
    EXPECT_TRUE(contains(s, "我的排班-2026-12-07.ics")) << s;

    // Cancel writes nothing.
    ASSERT_TRUE(run("cancel"));
    EXPECT_FALSE(SaveFileSheet::openSheet());

    ASSERT_TRUE(run("tap #exportCalendar\nsave " + file.string()));
    s = screen();
    EXPECT_TRUE(contains(s, "toast: \"日历已导出（5 个排班）\"")) << s;
    std::string text = read(file);
    std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> root(icalparser_parse_string(text.c_str()),
                                                                  icalcomponent_free);
    ASSERT_TRUE(root);
    EXPECT_EQ(icalcomponent_count_errors(root.get()), 0);
    EXPECT_EQ(icalcomponent_count_components(root.get(), ICAL_VEVENT_COMPONENT), 5);

    // Without an open sheet `save` has nothing to complete.
    EXPECT_EQ(
        [&] {
            std::istringstream in("save /tmp/x.ics\n");
            ScriptRunner runner(window, out);
            return runner.runScript(in);
        }(),
        1);
}

TEST_F(MyWeekScreenTest, AnExportThatCannotBeWrittenSaysWhy) {
    ASSERT_TRUE(openWeek());
    auto file = std::filesystem::path(Paths::profileDir()) / "missing" / "week.ics";
    ASSERT_TRUE(run("tap #exportCalendar\nsave " + file.string()));
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"日历导出失败：")) << s;
    EXPECT_FALSE(std::filesystem::exists(file.parent_path()));
}

}  // namespace
}  // namespace busdesk::test
