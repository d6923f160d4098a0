#include "screens/core/NewsViewController.h"

#include <chrono>

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "model/NormalList.h"
#include "platform/RunLoop.h"
#include "platform/views/NavigationController.h"
#include "screens/core/NewsCellView.h"
#include "screens/core/NewsDetailViewController.h"
#include "services/NormalService.h"
#include "ui/PullToRefresh.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void NewsViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tag == 3 ? "规章制度" : "公告通知");
    pages.clear();
    tbList = std::make_shared<TableView>(view()->bounds());
    tbList->setIdentifier("tbList");
    tbList->setSeparatorStyle(SeparatorStyle::None);
    tbList->setDataSource(self<NewsViewController>());
    tbList->setDelegate(self<NewsViewController>());
    view()->addSubview(tbList);

    refreshData("1");
    page = 1;

    auto refresh = whileAlive<NewsViewController>([](NewsViewController& self) {
        self.refreshData("1");
        self.page = 1;
        if (auto header = pullToRefreshView(*self.tbList)) header->stopAnimating();
    });
    addPullToRefreshWithActionHandler(
        *tbList, [refresh] { RunLoop::main().postDelayed(secondsDuration(kGestureDelaySeconds), refresh); });
    auto loadMore = whileAlive<NewsViewController>([](NewsViewController& self) {
        self.page += 1;
        self.refreshData(std::to_string(self.page));
        if (auto footer = infiniteScrollingView(*self.tbList)) footer->stopAnimating();
    });
    addInfiniteScrollingWithActionHandler(*tbList, [loadMore] {
        RunLoop::main().postDelayed(secondsDuration(kGestureDelaySeconds), loadMore);
    });
}

void NewsViewController::viewDidLayoutSubviews() {
    if (tbList) tbList->setFrame(view()->bounds());
}

void NewsViewController::refreshData(const std::string& pageText) {
    screen::showActivityOrNo(true, *view());
    boost::json::object params;
    if (auto session = Session::shared().loginResult(); session && session->EmpID)
        params["EmpID"] = *session->EmpID;
    params["Index"] = pageText;
    // Whether an answer replaces or extends the list follows the page it was asked for: with a
    // pull and a load-more both outstanding, the current `page` would say the wrong thing.
    bool firstPage = pageText == "1";
    NormalService::getNewsServiceInfoWithPara(
        params, tag,
        whileAlive<NewsViewController>(
            [firstPage](NewsViewController& self, const std::shared_ptr<NormalList>& answer) {
                self.normalList = answer;
                if (firstPage) self.pages.clear();
                if (answer && !answer->List.empty()) self.pages.push_back(answer->List);
                screen::showActivityOrNo(false, *self.view());
                self.tbList->reloadData();
            }),
        whileAlive<NewsViewController>([pageText](NewsViewController& self) {
            // A failed load-more is asked for again by the next one instead of being skipped.
            if (pageText != "1" && std::to_string(self.page) == pageText) self.page -= 1;
            screen::showActivityOrNo(false, *self.view());
            screen::setAlertInfo("网络异常！", *self.view());
        }));
}

std::size_t NewsViewController::rowCount() const {
    std::size_t n = 0;
    for (const auto& rows : pages) n += rows.count();
    return n;
}

std::shared_ptr<NormalInfo> NewsViewController::rowAt(std::size_t row) const {
    for (const auto& rows : pages) {
        if (row < rows.count()) return rows.objectAtIndex(row);
        row -= rows.count();
    }
    return nullptr;
}

int NewsViewController::numberOfRows(TableView&, int) {
    return static_cast<int>(rowCount());
}

std::shared_ptr<TableViewCell> NewsViewController::cellForRow(TableView& tv, IndexPath ip) {
    auto cell =
        std::dynamic_pointer_cast<NewsCellView>(tv.dequeueReusableCell(NewsCellView::kReuseIdentifier));
    if (!cell) cell = std::make_shared<NewsCellView>();
    auto info = rowAt(static_cast<std::size_t>(ip.row));
    cell->addInfo(info, tag, info ? displayText(info->ID) : std::string());
    cell->btnDetail->setTag(ip.row + NewsCellView::kButtonTagBase);
    cell->btnDetail->removeAllActions();
    cell->btnDetail->addAction(whileAlive<NewsViewController>([](NewsViewController& self, View& sender) {
        self.openRow(sender.tag() - NewsCellView::kButtonTagBase);
    }));
    return cell;
}

double NewsViewController::heightForRow(TableView&, IndexPath) {
    return NewsCellView::kHeight;
}

void NewsViewController::didSelectRow(TableView& tv, IndexPath ip) {
    tv.deselectRow(ip, false);
    openRow(ip.row);
}

void NewsViewController::openRow(int row) {
    if (row < 0) return;
    auto info = rowAt(static_cast<std::size_t>(row));
    if (!info) return;
    auto detail = std::make_shared<NewsDetailViewController>();
    detail->setTitle(tag == 3 ? "规章制度" : "公告详情");
    detail->peopleStr = displayText(tag == 3 ? info->PublishBy : info->Publishby);
    detail->contentHtml = displayText(info->ContentHtml);
    detail->titleStr = displayText(info->Title);
    detail->timeStr = displayText(info->RealeaseDate);
    detail->newid = displayText(info->ID);
    detail->tag = tag;
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
