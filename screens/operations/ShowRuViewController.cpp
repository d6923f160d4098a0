#include "screens/operations/ShowRuViewController.h"

#include "core/PublicMethod.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/LiChengDetTableViewController.h"
#include "screens/operations/LiChengListViewController.h"
#include "screens/operations/ShouRuListViewController.h"
#include "screens/operations/ShouruDayTableViewController.h"
#include "screens/query/DateRangeInput.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void ShowRuViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, islicheng ? "里程情况" : "营收情况");
    mode.emplace(*view(), ChoicePair::Side{"dayAction", "按日查询", "dayImg"},
                 ChoicePair::Side{"monthAction", "按月查询", "monthImg"},
                 action(&ShowRuViewController::dayAction), action(&ShowRuViewController::monthAction));
    scope.emplace(*view(), ChoicePair::Side{"onePerBtn", "本人", "onePerImg"},
                  ChoicePair::Side{"sumPerBtn", "全部人员", "sumPerImg"},
                  action(&ShowRuViewController::onePerBtn), action(&ShowRuViewController::sumPerBtn));
    dayPicker = period_wheels::addDayWheel(*view(), "dayPicker");
    monthPicker = period_wheels::addMonthWheel(*view(), self<ShowRuViewController>());
    monthPicker->setHidden(true);
    btnSearch = form::queryButton(*view(), "search", action(&ShowRuViewController::search));
    layout();
}

void ShowRuViewController::viewDidLayoutSubviews() {
    layout();
}

void ShowRuViewController::layout() {
    if (!btnSearch) return;
    form::Rows rows(*view());
    mode->layout(rows.full(form::Rows::kRowHeight));
    scope->layout(rows.full(form::Rows::kRowHeight));
    Rect wheel = rows.full(180);
    dayPicker->setFrame(wheel);
    monthPicker->setFrame(wheel);
    btnSearch->setFrame(rows.button());
}

void ShowRuViewController::dayAction() {
    dayPicker->setHidden(false);
    monthPicker->setHidden(true);
    day = true;
    mode->choose(true);
}

void ShowRuViewController::monthAction() {
    dayPicker->setHidden(true);
    monthPicker->setHidden(false);
    day = false;
    mode->choose(false);
}

void ShowRuViewController::onePerBtn() {
    onePer = true;
    scope->choose(true);
}

void ShowRuViewController::sumPerBtn() {
    onePer = false;
    scope->choose(false);
}

void ShowRuViewController::search() {
    auto nav = navigationController();
    if (!nav) return;
    std::string startTime = day ? PublicMethod::getDateString(dayPicker->date(), query_dates::kDay)
                                : PublicMethod::getDateString(monthPicker->date(), query_dates::kMonth);
    bool all = !onePer;
    std::shared_ptr<ViewController> next;
    if (islicheng && day) {
        auto s = std::make_shared<LiChengDetTableViewController>();
        s->tag = LiChengDetTableViewController::kDayTag;
        s->startTime = startTime, s->all = all, next = s;
    } else if (islicheng) {
        auto s = std::make_shared<LiChengListViewController>();
        s->startTime = startTime, s->all = all, next = s;
    } else if (day) {
        auto s = std::make_shared<ShouruDayTableViewController>();
        s->startTime = startTime, s->all = all, next = s;
    } else {
        auto s = std::make_shared<ShouRuListViewController>();
        s->startTime = startTime, s->all = all, next = s;
    }
    nav->pushViewController(next, true);
}

}  // namespace busdesk
