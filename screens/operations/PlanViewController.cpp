#include "screens/operations/PlanViewController.h"

#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "screens/operations/NosendTableViewCell.h"
#include "screens/operations/PlanCellView.h"
#include "screens/operations/PlanRowView.h"
#include "screens/query/DateRangeInput.h"
#include "ui/PullToRefresh.h"

namespace busdesk {

bool PlanViewController::openedFromMenu() const {
    // The menu makes the plan the root of a new stack; the home page's shortcut pushes it.
    auto nav = navigationController();
    return !nav || nav->rootViewController().get() == this;
}

void PlanViewController::configureList(TableView& list) {
    auto makeTab = [&](const char* id, const char* title, void (PlanViewController::*pressed)()) {
        auto button = std::make_shared<Button>(Rect{}, title);
        button->setIdentifier(id);
        button->setAccessibilityRole(AccessibilityRole::Tab);
        button->setFontSize(16);
        button->setTitleColor(Color::of(ColorRole::Text));
        button->setTitleColor(Color::of(ColorRole::Accent), ControlState::Selected);
        button->addAction(action(pressed));
        view()->addSubview(button);
        return button;
    };
    tplan = makeTab("tplan", tr("今日计划"), &PlanViewController::tplanPressed);
    tmplan = makeTab("tmplan", tr("明日未发车"), &PlanViewController::tmplanPressed);
    selectimg = std::make_shared<ImageView>();
    selectimg->setIdentifier("selectimg");
    selectimg->setBackgroundColor(Color::of(ColorRole::Accent));
    view()->addSubview(selectimg);
    tplan->setSelected(true);

    auto refresh = whileAlive<PlanViewController>([](PlanViewController& self) {
        self.tbPlan->beginUpdates();
        self.request();
        self.tbPlan->endUpdates();
        // Stopped at once: the answer reloads the list when it comes.
        if (auto header = pullToRefreshView(*self.tbPlan)) header->stopAnimating();
    });
    addPullToRefreshWithActionHandler(
        list, [refresh] { RunLoop::main().postDelayed(seconds(kPullDelaySeconds), refresh); });
    viewDidLayoutSubviews();
}

void PlanViewController::viewDidLayoutSubviews() {
    if (!tbPlan || !tplan) return;
    Rect b = view()->bounds();
    double half = b.width / 2;
    tplan->setFrame({0, 0, half, kTabHeight});
    tmplan->setFrame({half, 0, b.width - half, kTabHeight});
    placeMarker();
    layoutList({0, kTabHeight, b.width, std::max(0.0, b.height - kTabHeight)});
}

void PlanViewController::placeMarker() {
    const auto& under = btnTag == kTodayTab ? tplan : tmplan;
    Rect f = under->frame();
    selectimg->setFrame({f.x, f.y + f.height - 3, f.width, 3});
}

void PlanViewController::tplanPressed() {
    selectTab(kTodayTab);
}

void PlanViewController::tmplanPressed() {
    selectTab(kTomorrowTab);
}

void PlanViewController::selectTab(int tag) {
    btnTag = tag;
    tplan->setSelected(tag == kTodayTab);
    tmplan->setSelected(tag == kTomorrowTab);
    placeMarker();
    // The rows follow the selected tab at once (its last answer, if any) until the new one is in.
    tbPlan->reloadData();
    request();
}

void PlanViewController::send(Delivered ok, Failed fail, Stored stored) {
    if (btnTag == kTodayTab)
        return run(OfficeQueries::dayPlan(query_dates::today()), std::move(ok), std::move(fail),
                   std::move(stored));
    run(OfficeQueries::undispatchedTrips(query_dates::tomorrow()), std::move(ok), std::move(fail),
        std::move(stored));
}

std::size_t PlanViewController::keep(std::shared_ptr<WireModel> model, int tag) {
    if (tag == kTodayTab) {
        auto plan = std::dynamic_pointer_cast<DisplanDetailInfoArray>(model);
        if (!plan) return 0;
        Log::line("count==" + std::to_string(plan->DisplanDetailInfos.count()));
        displanDetailInfoArray = plan;
        return plan->DisplanDetailInfos.count();
    }
    auto list = std::dynamic_pointer_cast<NosendDisplanList>(model);
    if (!list) return 0;
    nosendDisplanList = list;
    return list->List.count();
}

void PlanViewController::didReceive(std::shared_ptr<WireModel> model, int tag) {
    if (!model) {
        // The server's way of saying there is no plan at all.
        tbPlan->reloadData();
        showToast(tr(kNoPlanText));
        showEmptyState(tr(kNoPlanText));
        return;
    }
    keep(std::move(model), tag);
    // An empty plan says nothing, but the rows of an earlier answer must not stay behind.
    tbPlan->reloadData();
    showEmptyState({});
}

std::size_t PlanViewController::tripCount() const {
    if (btnTag == kTodayTab)
        return displanDetailInfoArray ? displanDetailInfoArray->DisplanDetailInfos.count() : 0;
    return nosendDisplanList ? nosendDisplanList->List.count() : 0;
}

int PlanViewController::numberOfSections(TableView&) {
    return static_cast<int>(tripCount());
}

int PlanViewController::numberOfRows(TableView&, int section) {
    return section >= 0 && static_cast<std::size_t>(section) < tripCount() ? 1 : 0;
}

std::shared_ptr<TableViewCell> PlanViewController::cellForRow(TableView& tv, IndexPath ip) {
    auto at = static_cast<std::size_t>(ip.section);
    if (btnTag == kTodayTab) {
        auto cell =
            std::dynamic_pointer_cast<PlanCellView>(tv.dequeueReusableCell(PlanCellView::kReuseIdentifier));
        if (!cell) cell = std::make_shared<PlanCellView>();
        auto trip =
            displanDetailInfoArray ? displanDetailInfoArray->DisplanDetailInfos.objectAtIndex(at) : nullptr;
        cell->AddRow(trip.get(), ip.section + 1);
        return cell;
    }
    auto cell = std::dynamic_pointer_cast<NosendTableViewCell>(
        tv.dequeueReusableCell(NosendTableViewCell::kReuseIdentifier));
    if (!cell) cell = std::make_shared<NosendTableViewCell>();
    auto trip = nosendDisplanList ? nosendDisplanList->List.objectAtIndex(at) : nullptr;
    cell->AddRow(trip.get(), ip.section + 1);
    return cell;
}

double PlanViewController::heightForRow(TableView&, IndexPath) {
    return LinesCell::heightFor(btnTag == kTodayTab ? PlanCellView::lines().size()
                                                    : NosendTableViewCell::lines().size());
}

double PlanViewController::heightForHeader(TableView&, int section) {
    return section == 0 && btnTag == kTodayTab && displanDetailInfoArray ? PlanRowView::kHeight : 0;
}

std::shared_ptr<View> PlanViewController::viewForHeader(TableView&, int section) {
    if (section != 0 || btnTag != kTodayTab || !displanDetailInfoArray) return nullptr;
    auto header = std::make_shared<PlanRowView>();
    header->setTotals(*displanDetailInfoArray);
    return header;
}

}  // namespace busdesk
