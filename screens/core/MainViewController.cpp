#include "screens/core/MainViewController.h"

#include <algorithm>
#include <chrono>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "model/NormalList.h"
#include "platform/Date.h"
#include "platform/RunLoop.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "screens/core/NewsViewController.h"
#include "screens/core/ScreenIcons.h"
#include "screens/operations/MyWeekViewController.h"
#include "screens/operations/PlanViewController.h"
#include "screens/operations/QArrangeViewController.h"
#include "screens/operations/illListViewController.h"
#include "screens/query/DateRangeInput.h"
#include "screens/self_service/BusFeedBackViewController.h"
#include "ui/PullToRefresh.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

namespace {
constexpr double kShortcutHeight = 60;
constexpr double kTopHeight = 52;

}  // namespace

std::vector<ScreenEntry> MainViewController::shortcutEntries() {
    return {
        {tr("配车排班"), "showcheci", "checi", "QArrangeViewController", plain<QArrangeViewController>()},
        {tr("我的排班"), "showMyWeek", "myweek", "MyWeekViewController", plain<MyWeekViewController>()},
        {tr("运营情况"), "showPlan", "plan", "PlanViewController", plain<PlanViewController>()},
        // Today's violations of every vehicle; today is taken when the button is pressed.
        {tr("车辆违规"), "showRule", "rule", "illListViewController",
         [] {
             auto list = std::make_shared<illListViewController>();
             list->titleStr = "车辆违规";
             list->isAll = true;
             list->selectDate = query_dates::today();
             return std::static_pointer_cast<ViewController>(list);
         }},
        {tr("车辆反馈"), "showWeiGui", "weigui", "BusFeedBackViewController",
         [] {
             auto form = std::make_shared<BusFeedBackViewController>();
             form->openedFromMenu = false;
             return std::static_pointer_cast<ViewController>(form);
         }},
        {tr("公告通知"), "showRules", "rules", "NewsViewController",
         [] {
             auto list = std::make_shared<NewsViewController>();
             list->tag = 2;
             return std::static_pointer_cast<ViewController>(list);
         }},
    };
}

void MainViewController::viewDidLoad() {
    defineScreenIcons();
    screen::setNavTitleBar(*this, tr("首页"));
    auto root = view();

    time = std::make_shared<Label>(Rect{}, PublicMethod::getStringForKey(kTime).value_or(std::string()));
    time->setIdentifier("time");
    time->setFontSize(13);
    time->setTextColor(Color::of(ColorRole::SecondaryText));
    root->addSubview(time);

    lblFirstNewsDetail = std::make_shared<ScrollingLabel>(Rect{0, 0, 390, 24}, 100, 10);
    lblFirstNewsDetail->setIdentifier("lblFirstNewsDetail");
    lblFirstNewsDetail->setMarqueeType(MarqueeType::Continuous);
    lblFirstNewsDetail->setTextColor(Color::of(ColorRole::SecondaryText));
    lblFirstNewsDetail->setFontSize(14);
    lblFirstNewsDetail->setText(tr(kWelcomeText));
    root->addSubview(lblFirstNewsDetail);

    aTableView = std::make_shared<TableView>();
    aTableView->setIdentifier("aTableView");
    aTableView->setSeparatorStyle(SeparatorStyle::None);
    aTableView->setTableFooterView(std::make_shared<View>());
    aTableView->setDataSource(self<MainViewController>());
    aTableView->setDelegate(self<MainViewController>());
    root->addSubview(aTableView);

    for (const auto& entry : shortcutEntries()) {
        auto button = std::make_shared<Button>(Rect{}, entry.title);
        button->setIdentifier(entry.action);
        button->setImageName(entry.icon);
        button->setFontSize(13);
        button->addAction(whileAlive<MainViewController>(
            [entry](MainViewController& self, View&) { self.openShortcut(entry); }));
        shortcuts_.push_back(button);
        root->addSubview(button);
    }
    layout();

    refreshData(1);
    auto refresh = whileAlive<MainViewController>([](MainViewController& self) {
        self.aTableView->beginUpdates();
        self.refreshData(1);
        self.aTableView->endUpdates();
        if (auto header = pullToRefreshView(*self.aTableView)) header->stopAnimating();
    });
    addPullToRefreshWithActionHandler(
        *aTableView, [refresh] { RunLoop::main().postDelayed(secondsDuration(kPullDelaySeconds), refresh); });
}

void MainViewController::viewDidLayoutSubviews() {
    layout();
}

void MainViewController::layout() {
    if (!aTableView) return;
    Rect b = view()->bounds();
    time->setFrame({10, 4, b.width - 20, 20});
    lblFirstNewsDetail->setFrame({10, 26, b.width - 20, 24});
    double listBottom = std::max(kTopHeight, b.height - kShortcutHeight);
    layoutList({0, kTopHeight, b.width, listBottom - kTopHeight});
    double w = shortcuts_.empty() ? 0 : b.width / static_cast<double>(shortcuts_.size());
    for (std::size_t i = 0; i < shortcuts_.size(); ++i)
        shortcuts_[i]->setFrame({w * static_cast<double>(i), listBottom, w, kShortcutHeight});
}

void MainViewController::refreshData(int page) {
    BulletinListViewController::refreshData(page);
    // The moment of asking, whatever the answer turns out to be.
    std::string stamp =
        trFormat("上次刷新时间：%1", {PublicMethod::getDateString(Date::now(), "yyyy-MM-dd HH:mm:ss")});
    PublicMethod::setObject(stamp, kTime);
    time->setText(stamp);
}

std::size_t MainViewController::rowCount() const {
    std::size_t count = normalList ? normalList->List.count() : 0;
    return std::min<std::size_t>(count, kMaxRows);
}

std::shared_ptr<NormalInfo> MainViewController::rowAt(std::size_t row) const {
    return normalList && row < rowCount() ? normalList->List.objectAtIndex(row) : nullptr;
}

void MainViewController::received(const std::shared_ptr<NormalList>& answer, int) {
    if (auto first = answer ? answer->List.firstObject() : nullptr; first && first->Title)
        lblFirstNewsDetail->setText(trFormat("最新公告：%1", {*first->Title}));
}

void MainViewController::openShortcut(const ScreenEntry& entry) {
    if (!entry.available()) return;
    if (auto nav = navigationController()) nav->pushViewController(entry.make(), true);
}

}  // namespace busdesk
