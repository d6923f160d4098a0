#include "screens/core/LeftMenuViewController.h"

#include <algorithm>

#include "platform/Translation.h"
#include "platform/views/Palette.h"
#include "screens/core/CultureViewController.h"
#include "screens/core/MainViewController.h"
#include "screens/core/NewsViewController.h"
#include "screens/core/ScreenIcons.h"
#include "screens/operations/CheliangLingLiaoViewController.h"
#include "screens/operations/KaoQinViewController.h"
#include "screens/operations/MyWeekViewController.h"
#include "screens/operations/PlanViewController.h"
#include "screens/operations/QArrangeViewController.h"
#include "screens/operations/RanYouXiaoHaoDateViewController.h"
#include "screens/operations/ShowRuViewController.h"
#include "screens/operations/WeiXiuDateViewController.h"
#include "screens/operations/illegalViewController.h"
#include "ui/SideMenu.h"

namespace busdesk {

namespace {

std::function<std::shared_ptr<ViewController>()> dayCalendar(const char* titleStr) {
    return [titleStr] {
        auto calendar = std::make_shared<illegalViewController>();
        calendar->titleStr = titleStr;
        return std::static_pointer_cast<ViewController>(calendar);
    };
}

std::function<std::shared_ptr<ViewController>()> news(int tag) {
    return [tag] {
        auto list = std::make_shared<NewsViewController>();
        list->tag = tag;
        return std::static_pointer_cast<ViewController>(list);
    };
}
std::function<std::shared_ptr<ViewController>()> weiXiu(const char* titleStr) {
    return [titleStr] {
        auto input = std::make_shared<WeiXiuDateViewController>();
        input->titleStr = titleStr;
        return std::static_pointer_cast<ViewController>(input);
    };
}

std::function<std::shared_ptr<ViewController>()> showRu(bool islicheng) {
    return [islicheng] {
        auto input = std::make_shared<ShowRuViewController>();
        input->islicheng = islicheng;
        return std::static_pointer_cast<ViewController>(input);
    };
}
}  // namespace

// Operations screens get their set-up from the row: illegalViewController and
// WeiXiuDateViewController take `titleStr` (the row's title), ShowRuViewController `islicheng`
// (false for 营收情况, true for 里程情况). Rows 5 and 6 open the same screen the same way.
std::vector<ScreenEntry> LeftMenuViewController::entries() {
    return {
        {tr("主页"), "", "IconHome", "MainViewController", plain<MainViewController>()},
        {tr("企业文化"), "", "IconCulture", "CultureViewController", plain<CultureViewController>()},
        {tr("公告通知"), "", "IconNotice", "NewsViewController", news(2)},
        {tr("规章制度"), "", "IconRules", "NewsViewController", news(3)},
        {tr("配车排班"), "", "IconArrange", "QArrangeViewController", plain<QArrangeViewController>()},
        {tr("我的排班"), "", "IconMyWeek", "MyWeekViewController", plain<MyWeekViewController>()},
        {tr("实时查询"), "", "IconRealtime", "PlanViewController", plain<PlanViewController>()},
        {tr("运营情况"), "", "IconPlan", "PlanViewController", plain<PlanViewController>()},
        {tr("完成车次"), "", "IconTrips", "illegalViewController", dayCalendar("完成车次")},
        {tr("车辆违规"), "", "IconViolation", "illegalViewController", dayCalendar("车辆违规")},
        {tr("车辆保养"), "", "IconMaintenance", "WeiXiuDateViewController", weiXiu("车辆保养")},
        {tr("维修查询"), "", "IconRepair", "WeiXiuDateViewController", weiXiu("维修查询")},
        {tr("车辆领料"), "", "IconMaterial", "CheliangLingLiaoViewController",
         plain<CheliangLingLiaoViewController>()},
        {tr("燃料消耗"), "", "IconFuel", "RanYouXiaoHaoDateViewController",
         plain<RanYouXiaoHaoDateViewController>()},
        {tr("营收情况"), "", "IconRevenue", "ShowRuViewController", showRu(false)},
        {tr("里程情况"), "", "IconMileage", "ShowRuViewController", showRu(true)},
        {tr("考勤信息"), "", "IconAttendance", "KaoQinViewController", plain<KaoQinViewController>()},
    };
}

void LeftMenuViewController::viewDidLoad() {
    defineScreenIcons();
    entries_ = entries();
    view()->setBackgroundColor(Color::clear());
    tableView = std::make_shared<TableView>(Rect{}, TableViewStyle::Plain);
    tableView->setIdentifier("tableView");
    tableView->setBackgroundColor(Color::clear());
    tableView->setSeparatorStyle(SeparatorStyle::None);
    tableView->setBackgroundView(nullptr);
    tableView->setBounces(false);
    tableView->setRowHeight(kRowHeight);
    tableView->setDataSource(self<LeftMenuViewController>());
    tableView->setDelegate(self<LeftMenuViewController>());
    view()->addSubview(tableView);

    lmbt = std::make_shared<LeftMenuBottomNarbarViewController>();
    addChildViewController(lmbt);
    view()->addSubview(lmbt->view());
    layout();
}

void LeftMenuViewController::viewDidLayoutSubviews() {
    layout();
}

void LeftMenuViewController::layout() {
    if (!tableView) return;
    Rect b = view()->bounds();
    double tableHeight =
        std::min(b.height - kBottomBarHeight - 20, kRowHeight * static_cast<double>(entries_.size()));
    double top = std::max(20.0, (b.height - tableHeight - kBottomBarHeight) / 2);
    // Only the part the sliding screen leaves uncovered is seen: its texts wrap within it.
    const double seen = SideMenu::kMenuSlide * b.width;
    tableView->setFrame({0, top, seen, tableHeight});
    lmbt->view()->setFrame({0, top + tableHeight, seen, kBottomBarHeight});
}

int LeftMenuViewController::numberOfRows(TableView&, int) {
    return static_cast<int>(entries_.size());
}

std::shared_ptr<TableViewCell> LeftMenuViewController::cellForRow(TableView& tv, IndexPath ip) {
    auto cell = tv.dequeueReusableCell("menu");
    if (!cell) {
        cell = std::make_shared<TableViewCell>(CellStyle::Default, "menu");
        cell->setBackgroundColor(Color::clear());
        cell->textLabel().setFontName("HelveticaNeue");
        cell->textLabel().setFontSize(21);
        // The column is narrow: at a large text size a title breaks between its words.
        cell->textLabel().setKeepsWordsWhole(true);
        cell->textLabel().setTextColor(Color::of(ColorRole::OnMenu));
    }
    const auto& entry = entries_.at(static_cast<std::size_t>(ip.row));
    cell->textLabel().setText(entry.title);
    cell->textLabel().setTextColor(Color::of(ColorRole::OnMenu, cell->isHighlighted() ? 0.7 : 1));
    cell->imageView().setImageName(entry.icon);
    return cell;
}

void LeftMenuViewController::didSelectRow(TableView& tv, IndexPath ip) {
    tv.deselectRow(ip, true);
    if (ip.row < 0 || static_cast<std::size_t>(ip.row) >= entries_.size()) return;
    const auto& entry = entries_[static_cast<std::size_t>(ip.row)];
    // Screens of later work: the row stays and does nothing yet.
    if (!entry.available()) return;
    if (openScreen) openScreen(entry.make());
}

}  // namespace busdesk
