#include "screens/operations/illListViewController.h"

#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Palette.h"
#include "screens/operations/illCellView.h"
#include "screens/operations/illDeatilTableViewController.h"
#include "screens/operations/illSumTableViewCell.h"

namespace busdesk {

void illListViewController::viewDidLoad() {
    istag = titleStr != kTripsTitle;
    QueryListViewController::viewDidLoad();
}

std::string illListViewController::screenTitle() const {
    return istag ? tr("违规详情") : tr(titleStr);
}

void illListViewController::send(Delivered ok, Failed fail, Stored stored) {
    if (!istag)
        return run(OfficeQueries::completedTrips(selectDate), std::move(ok), std::move(fail),
                   std::move(stored));
    // The home page's shortcut asks for every vehicle with an empty vehicle number.
    run(OfficeQueries::violationSummary(isAll ? std::string() : busid, selectDate), std::move(ok),
        std::move(fail), std::move(stored));
}

std::size_t illListViewController::keep(std::shared_ptr<WireModel> model, int) {
    if (istag) {
        normalList = std::dynamic_pointer_cast<NormalList>(model);
        return normalList ? normalList->List.count() : 0;
    }
    finishArrModel = std::dynamic_pointer_cast<FinishDisplanInfoArray>(model);
    return finishArrModel ? finishArrModel->FinishDisplanList.count() : 0;
}

int illListViewController::numberOfRows(TableView&, int) {
    if (istag) return normalList ? static_cast<int>(normalList->List.count()) : 0;
    return finishArrModel ? static_cast<int>(finishArrModel->FinishDisplanList.count()) : 0;
}

std::shared_ptr<TableViewCell> illListViewController::cellForRow(TableView& tv, IndexPath ip) {
    auto at = static_cast<std::size_t>(ip.row);
    if (istag) {
        auto cell = std::dynamic_pointer_cast<illSumTableViewCell>(
            tv.dequeueReusableCell(illSumTableViewCell::kReuseIdentifier));
        if (!cell) cell = std::make_shared<illSumTableViewCell>();
        if (auto info = normalList ? normalList->List.objectAtIndex(at) : nullptr)
            cell->layoutView(*info, ip.row);
        return cell;
    }
    auto cell = std::dynamic_pointer_cast<illCellView>(tv.dequeueReusableCell(illCellView::kReuseIdentifier));
    if (!cell) cell = std::make_shared<illCellView>();
    if (auto trip = finishArrModel ? finishArrModel->FinishDisplanList.objectAtIndex(at) : nullptr)
        cell->layViewInfo(*trip);
    return cell;
}

double illListViewController::heightForRow(TableView&, IndexPath) {
    return LinesCell::heightFor(istag ? illSumTableViewCell::lines().size() : illCellView::lines().size());
}

double illListViewController::heightForHeader(TableView&, int section) {
    return !istag && section == 0 && finishArrModel ? kTotalsHeight : 0;
}

std::shared_ptr<View> illListViewController::viewForHeader(TableView&, int section) {
    if (istag || section != 0 || !finishArrModel) return nullptr;
    double width = view()->bounds().width;
    double half = width / 2 - 10;
    auto header = std::make_shared<View>(Rect{0, 0, width, kTotalsHeight});
    header->setBackgroundColor(Color::of(ColorRole::SecondaryBackground));
    auto label = [&](const char* id, const char* format, double value, double x) {
        auto l = std::make_shared<Label>(Rect{x, 0, half, kTotalsHeight}, formatLine(format, value));
        l->setIdentifier(id);
        l->setFontSize(14);
        header->addSubview(l);
    };
    label("lblMileSum", N_("总里程：%.2f"), finishArrModel->MileSum, 10);
    label("lblSeqSum", N_("总车次数：%.2f"), finishArrModel->SeqSum, width / 2 + 10);
    return header;
}

void illListViewController::didSelectRow(TableView& tv, IndexPath ip) {
    tv.deselectRow(ip, false);
    if (!istag || !normalList) return;
    auto info = normalList->List.objectAtIndex(static_cast<std::size_t>(ip.row));
    if (!info) return;
    auto detail = std::make_shared<illDeatilTableViewController>();
    detail->buselfid = info->Busname.value_or(std::string());
    detail->selectdate = selectDate;
    detail->alertType = info->AlertType.value_or(std::string());
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
