#include "screens/operations/illegalViewController.h"

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/Log.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/illListViewController.h"
#include "screens/query/DateRangeInput.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
std::optional<std::string>& remembered() {
    static std::optional<std::string> day;
    return day;
}
}  // namespace

std::optional<std::string> illegalViewController::rememberedDay() {
    return remembered();
}

void illegalViewController::setRememberedDay(std::optional<std::string> day) {
    remembered() = std::move(day);
}

void illegalViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tr(titleStr));
    calendar = std::make_shared<CalendarView>(Rect{0, 0, view()->bounds().width, 0});
    calendar->setIdentifier("calendar");
    view()->addSubview(calendar);
    queryDay = form::caption(*view(), "");
    queryDay->setIdentifier("queryDay");

    alert = form::caption(*view(), tr("请在日历上点选要查询的日期。"));
    alert->setIdentifier("alert");
    alertdet = form::caption(*view(), tr("未点选日期时查询今天的完成车次。"));
    alertdet->setIdentifier("alertdet");
    alertdet->setFontSize(13);
    txt = form::textField(*view(), "txt", tr("请输入车号"));

    bool violations = isViolations();
    alert->setHidden(violations);
    alertdet->setHidden(violations);
    txt->setHidden(!violations);
    if (violations) {
        auto stored = PublicMethod::getStringForKey(kBuselfid);
        if (stored && !stored->empty()) txt->setText(*stored);
    }
    btnSearch = form::queryButton(*view(), "search", action(&illegalViewController::search));
    // Marks the days of the month shown; the calendar tells its delegate the month at once.
    calendar->setDelegate(self<illegalViewController>());
    // The day another calendar screen remembered is the one this screen asks for: shown chosen.
    if (auto day = rememberedDay(); day && !day->empty())
        if (auto date = PublicMethod::getDateFromString(*day, query_dates::kDay)) calendar->selectDate(*date);
    showQueryDay();
    layout();
}

void illegalViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    // Back from a list, perhaps after midnight: today may be another day.
    showQueryDay();
}

void illegalViewController::showQueryDay() {
    if (!queryDay) return;
    auto day = rememberedDay();
    queryDay->setText(trFormat("将查询 %1", {day && !day->empty() ? *day : query_dates::today()}));
}

void illegalViewController::viewDidLayoutSubviews() {
    layout();
}

void illegalViewController::layout() {
    if (!btnSearch) return;
    Rect b = view()->bounds();
    calendar->setFrame({0, 0, b.width, calendar->targetHeight()});
    form::Rows rows(*view(), calendar->targetHeight() + 10);
    queryDay->setFrame(rows.full(22));
    if (isViolations()) {
        txt->setFrame(rows.full(form::Rows::kRowHeight));
    } else {
        alert->setFrame(rows.full(22));
        alertdet->setFrame(rows.full(22));
    }
    btnSearch->setFrame(rows.button());
}

void illegalViewController::calendarViewSwitchedToMonth(CalendarView& view, int month, double, bool) {
    // The days of this month's operations summary; other months have none.
    if (month == LocalDate::of(Date::now()).month) view.markDates({1, 5});
    layout();
}

void illegalViewController::calendarViewDateSelected(CalendarView&, Date date) {
    std::string day = PublicMethod::getDateString(date, query_dates::kDay);
    Log::line("Selected date = " + day);
    setRememberedDay(day);
    showQueryDay();
}

void illegalViewController::search() {
    bool violations = isViolations();
    if (violations && txt->text().empty()) {
        screen::setAlertInfo(tr(kNoVehicleText), *view());
        return;
    }
    if (violations) PublicMethod::setObject(txt->text(), kBuselfid);
    // Without a tapped day this query asks for today; nothing is remembered, so a query after
    // midnight asks for the new day.
    auto day = rememberedDay();
    auto list = std::make_shared<illListViewController>();
    list->busid = txt->text();
    list->titleStr = titleStr;
    list->selectDate = day && !day->empty() ? *day : query_dates::today();
    if (auto nav = navigationController()) nav->pushViewController(list, true);
}

}  // namespace busdesk
