#include "screens/operations/MyWeekViewController.h"

#include <cstdio>

#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/DispatchQueue.h"
#include "platform/RunLoop.h"
#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "services/OfficeQueries.h"
#include "services/OfficeQuery.h"
#include "ui/PullToRefresh.h"
#include "ui/SaveFileSheet.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
constexpr double kHeaderHeight = 32;
constexpr const char* kNoteReuseIdentifier = "MyWeekNoteCell";
constexpr const char* kWeekdays[] = {N_("星期日"), N_("星期一"), N_("星期二"), N_("星期三"),
                                     N_("星期四"), N_("星期五"), N_("星期六")};

std::string isoDay(const LocalDate& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string signedInEmployee() {
    auto login = Session::shared().loginResult();
    return login && login->EmpID ? *login->EmpID : std::string();
}
}  // namespace

std::string MyWeekViewController::heading(const LocalDate& day, const LocalDate& today) {
    const std::string month = std::to_string(day.month), dayOfMonth = std::to_string(day.day);
    const std::string weekday = tr(kWeekdays[weekdayOf(day.year, day.month, day.day)]);
    if (day == today) return trFormat("今天 %1月%2日 %3", {month, dayOfMonth, weekday});
    if (day == today.addingDays(1)) return trFormat("明天 %1月%2日 %3", {month, dayOfMonth, weekday});
    return trFormat("%1月%2日 %3", {month, dayOfMonth, weekday});
}

std::vector<std::shared_ptr<ArrangeInfo>> MyWeekViewController::ownDuties(const ArrangeInfoList* list,
                                                                          const std::string& empID) {
    std::vector<std::shared_ptr<ArrangeInfo>> out;
    if (!list || empID.empty()) return out;
    for (std::size_t i = 0; i < list->ArrangeList.count(); ++i) {
        auto row = list->ArrangeList.objectAtIndex(i);
        if (row && row->Empid == empID) out.push_back(row);
    }
    return out;
}

std::string MyWeekViewController::skippedText(int skipped) {
    return trFormat("%1 条排班时间无法识别，未导出", {std::to_string(skipped)});
}

void MyWeekViewController::viewDidLoad() {
    // The menu makes the week the root of a new stack; the home page's shortcut pushes it.
    auto nav = navigationController();
    if (!nav || nav->rootViewController().get() == this)
        screen::setNavTitleBar(*this, tr(kTitle));
    else
        screen::setNavTitleBarWithLeftBTAndTitle(*this, tr(kTitle));
    view()->setIdentifier("myWeek");

    exportButton = std::make_shared<Button>(Rect{}, tr(kExportTitle));
    exportButton->setIdentifier("exportCalendar");
    exportButton->setImageName("IconExportCalendar");
    exportButton->setFontSize(16);
    exportButton->setTitleColor(Color::of(ColorRole::Accent));
    exportButton->addAction(action(&MyWeekViewController::exportCalendar));
    view()->addSubview(exportButton);

    weekList = std::make_shared<TableView>();
    weekList->setIdentifier("weekList");
    weekList->setSeparatorStyle(SeparatorStyle::None);
    weekList->setTableFooterView(std::make_shared<View>());
    weekList->setDataSource(self<MyWeekViewController>());
    weekList->setDelegate(self<MyWeekViewController>());
    view()->addSubview(weekList);

    auto refresh = whileAlive<MyWeekViewController>([](MyWeekViewController& self) {
        self.reload();
        // Stopped at once: each day's answer reloads the list when it comes.
        if (auto header = pullToRefreshView(*self.weekList)) header->stopAnimating();
    });
    addPullToRefreshWithActionHandler(
        *weekList, [refresh] { RunLoop::main().postDelayed(secondsDuration(kPullDelaySeconds), refresh); });
    viewDidLayoutSubviews();
    reload();
}

void MyWeekViewController::viewDidLayoutSubviews() {
    if (!weekList) return;
    Rect b = view()->bounds();
    exportButton->setFrame({b.width - 140, 0, 130, kBarHeight});
    weekList->setFrame({0, kBarHeight, b.width, std::max(0.0, b.height - kBarHeight)});
}

void MyWeekViewController::reload() {
    if (inFlight_ > 0 || !waiting_.empty()) return;  // the round still out answers every day
    ++round_;
    empID_ = signedInEmployee();
    // The week starts today, whatever the weekday; a day already known keeps what it showed.
    const LocalDate today = LocalDate::of(Date::now());
    std::vector<Day> week;
    for (int i = 0; i < kDays; ++i) {
        Day d;
        d.day = today.addingDays(i);
        for (const auto& old : days_)
            if (old.day == d.day) d = old;
        week.push_back(std::move(d));
        waiting_.push_back(static_cast<std::size_t>(i));
    }
    days_ = std::move(week);
    weekList->reloadData();
    screen::showActivityOrNo(true, *view());
    while (inFlight_ < kMaxInFlight && !waiting_.empty()) sendNext();
}

void MyWeekViewController::sendNext() {
    std::size_t index = waiting_.front();
    waiting_.pop_front();
    ++inFlight_;
    int round = round_;
    runQuery<std::shared_ptr<ArrangeInfoList>>(
        OfficeQueries::roster(isoDay(days_[index].day)),
        whileAlive<MyWeekViewController>(
            [round, index](MyWeekViewController& self, const std::shared_ptr<ArrangeInfoList>& list) {
                self.answered(round, index, ownDuties(list.get(), self.empID_));
            }),
        whileAlive<MyWeekViewController>(
            [round, index](MyWeekViewController& self) { self.answered(round, index, std::nullopt); }));
}

void MyWeekViewController::answered(int round, std::size_t index,
                                    std::optional<std::vector<std::shared_ptr<ArrangeInfo>>> duties) {
    --inFlight_;
    if (round == round_ && index < days_.size()) {
        Day& day = days_[index];
        day.failed = !duties;
        if (duties) {
            day.answered = true;
            day.duties = std::move(*duties);
        }
        weekList->reloadData();
    }
    if (!waiting_.empty()) sendNext();
    if (inFlight_ == 0) screen::showActivityOrNo(false, *view());
}

std::string MyWeekViewController::noteFor(const Day& day) const {
    if (day.failed) return tr(kFailedText);
    if (day.answered && day.duties.empty()) return tr(kRestText);
    return {};
}

int MyWeekViewController::numberOfRows(TableView&, int section) {
    if (section < 0 || section >= static_cast<int>(days_.size())) return 0;
    const Day& day = days_[static_cast<std::size_t>(section)];
    return static_cast<int>(day.duties.size()) + (noteFor(day).empty() ? 0 : 1);
}

std::shared_ptr<TableViewCell> MyWeekViewController::cellForRow(TableView& tv, IndexPath ip) {
    const Day& day = days_.at(static_cast<std::size_t>(ip.section));
    auto row = static_cast<std::size_t>(ip.row);
    if (row < day.duties.size()) {
        auto cell = std::dynamic_pointer_cast<MyWeekDutyCell>(
            tv.dequeueReusableCell(MyWeekDutyCell::kReuseIdentifier));
        if (!cell) cell = std::make_shared<MyWeekDutyCell>();
        cell->fill(day.duties[row].get(), ip.row);
        return cell;
    }
    auto cell = std::dynamic_pointer_cast<LinesCell>(tv.dequeueReusableCell(kNoteReuseIdentifier));
    if (!cell) cell = std::make_shared<LinesCell>(kNoteReuseIdentifier, 1, false);
    cell->setLines({noteFor(day)});
    return cell;
}

double MyWeekViewController::heightForRow(TableView&, IndexPath ip) {
    const Day& day = days_.at(static_cast<std::size_t>(ip.section));
    return LinesCell::heightFor(
        static_cast<std::size_t>(ip.row) < day.duties.size() ? QArrangeTableViewCell::dutyLines().size() : 1);
}

double MyWeekViewController::heightForHeader(TableView&, int) {
    return kHeaderHeight;
}

std::shared_ptr<View> MyWeekViewController::viewForHeader(TableView&, int section) {
    if (section < 0 || section >= static_cast<int>(days_.size())) return nullptr;
    const LocalDate today = days_.front().day;
    const double width = view()->bounds().width;
    auto header = std::make_shared<View>(Rect{0, 0, width, kHeaderHeight});
    header->setBackgroundColor(Color::of(ColorRole::SecondaryBackground));
    auto label =
        std::make_shared<Label>(Rect{LinesCell::kPadding, 0, width - 2 * LinesCell::kPadding, kHeaderHeight},
                                heading(days_[static_cast<std::size_t>(section)].day, today));
    label->setIdentifier("dayHeading");
    label->setBoldFont(true);
    label->setFontSize(16);
    label->setTextColor(Color::of(ColorRole::Accent));
    header->addSubview(label);
    return header;
}

std::vector<RosterDay> MyWeekViewController::rosterWeek() const {
    std::vector<RosterDay> week;
    for (const auto& d : days_)
        if (d.answered) week.push_back({d.day, d.duties});
    return week;
}

void MyWeekViewController::exportCalendar() {
    if (days_.empty()) return;
    std::string name = std::string(tr("我的排班-")) + isoDay(days_.front().day) + ".ics";
    SaveFileSheet::ask(
        tr(kExportTitle), name, view(),
        whileAlive<MyWeekViewController>([](MyWeekViewController& self, std::optional<std::string> path) {
            if (path) self.exportTo(*path);
        }));
}

void MyWeekViewController::exportTo(const std::string& path) {
    screen::showActivityOrNo(true, *view());
    auto week = rosterWeek();
    std::string empID = empID_;
    Date stamp = Date::now();
    asyncThenMain<CalendarExportOutcome>(
        DispatchQueue::processing(),
        [path, empID, week = std::move(week), stamp] {
            return exportRosterCalendar(path, empID, week, stamp);
        },
        whileAlive<MyWeekViewController>(
            [](MyWeekViewController& self, const CalendarExportOutcome& outcome) {
                if (self.inFlight_ == 0) screen::showActivityOrNo(false, *self.view());
                std::string text;
                if (!outcome.written)
                    text = trFormat("日历导出失败：%1", {outcome.error});
                else if (outcome.skipped > 0)
                    text = trFormat("日历已导出（%1 个排班）；%2",
                                    {std::to_string(outcome.events), skippedText(outcome.skipped)});
                else
                    text = trFormat("日历已导出（%1 个排班）", {std::to_string(outcome.events)});
                screen::setAlertInfo(text, *self.view());
            }));
}

}  // namespace busdesk
