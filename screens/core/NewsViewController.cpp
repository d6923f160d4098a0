#include "screens/core/NewsViewController.h"

#include <chrono>

#include "model/NormalList.h"
#include "platform/RunLoop.h"
#include "platform/Translation.h"
#include "ui/PullToRefresh.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void NewsViewController::viewDidLoad() {
    screen::setNavTitleBar(*this, tag == 3 ? tr("规章制度") : tr("公告通知"));
    pages.clear();
    tbList = std::make_shared<TableView>(view()->bounds());
    tbList->setIdentifier("tbList");
    tbList->setSeparatorStyle(SeparatorStyle::None);
    tbList->setDataSource(self<NewsViewController>());
    tbList->setDelegate(self<NewsViewController>());
    view()->addSubview(tbList);

    refreshData(1);
    page = 1;

    auto refresh = whileAlive<NewsViewController>([](NewsViewController& self) {
        self.refreshData(1);
        self.page = 1;
        if (auto header = pullToRefreshView(*self.tbList)) header->stopAnimating();
    });
    addPullToRefreshWithActionHandler(
        *tbList, [refresh] { RunLoop::main().postDelayed(secondsDuration(kGestureDelaySeconds), refresh); });
    auto loadMore = whileAlive<NewsViewController>([](NewsViewController& self) {
        self.page += 1;
        self.refreshData(self.page);
        if (auto footer = infiniteScrollingView(*self.tbList)) footer->stopAnimating();
    });
    addInfiniteScrollingWithActionHandler(*tbList, [loadMore] {
        RunLoop::main().postDelayed(secondsDuration(kGestureDelaySeconds), loadMore);
    });
}

void NewsViewController::viewDidLayoutSubviews() {
    if (tbList) layoutList(view()->bounds());
}

void NewsViewController::received(const std::shared_ptr<NormalList>& answer, int answeredPage) {
    // An answer goes in its page's place: with a pull and a load-more both outstanding, the current
    // `page` would say the wrong thing, and a page shown from the store is replaced by its fresh
    // answer, not followed by it. A first page starts the list again.
    if (answeredPage < 1) return;
    const auto at = static_cast<std::size_t>(answeredPage - 1);
    if (answeredPage == 1) pages.clear();
    if (pages.size() <= at) pages.resize(at + 1);
    pages[at] = answer ? answer->List : WireModelArray<NormalInfo>();
}

void NewsViewController::failed(int failedPage) {
    // A failed load-more is asked for again by the next one instead of being skipped.
    if (failedPage != 1 && page == failedPage) page -= 1;
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

}  // namespace busdesk
