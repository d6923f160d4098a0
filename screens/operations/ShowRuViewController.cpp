#include "screens/operations/ShowRuViewController.h"

#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/operations/LiChengDetTableViewController.h"
#include "screens/operations/LiChengListViewController.h"
#include "screens/operations/ShouRuListViewController.h"
#include "screens/operations/ShouruDayTableViewController.h"
#include "screens/query/QueryForm.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void ShowRuViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, islicheng ? tr("里程情况") : tr("营收情况"));
    period.emplace(*view(), ChoicePair::Side{"dayAction", tr("按日查询"), "dayImg"},
                   ChoicePair::Side{"monthAction", tr("按月查询"), "monthImg"},
                   action(&ShowRuViewController::dayAction), action(&ShowRuViewController::monthAction));
    scope.emplace(*view(), ChoicePair::Side{"onePerBtn", tr("本人"), "onePerImg"},
                  ChoicePair::Side{"sumPerBtn", tr("全部人员"), "sumPerImg"},
                  action(&ShowRuViewController::onePerBtn), action(&ShowRuViewController::sumPerBtn));
    period->addWheels(*view(), "dayPicker", self<ShowRuViewController>());
    dayPicker = period->dayWheel;
    monthPicker = period->monthWheel;
    btnSearch = form::queryButton(*view(), "search", action(&ShowRuViewController::search));
    layout();
}

void ShowRuViewController::viewDidLayoutSubviews() {
    layout();
}

void ShowRuViewController::layout() {
    if (!btnSearch) return;
    form::Rows rows(*view());
    Rect choice = rows.full(form::Rows::kRowHeight);
    scope->layout(rows.full(form::Rows::kRowHeight));
    period->layout(choice, rows.full(180));
    btnSearch->setFrame(rows.button());
}

void ShowRuViewController::dayAction() {
    day = true;
    period->show(day);
}

void ShowRuViewController::monthAction() {
    day = false;
    period->show(day);
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
    std::string startTime = period->periodText(day);
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
