#include "screens/query/QueryListViewController.h"

#include <algorithm>

#include "platform/Translation.h"
#include "ui/ListEmptyState.h"
#include "ui/OfflineDataLine.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void QueryListViewController::viewDidLoad() {
    if (!showsTitleBar())
        setTitle(screenTitle());
    else if (openedFromMenu())
        screen::setNavTitleBar(*this, screenTitle());
    else
        screen::setNavTitleBarWithLeftBTAndTitle(*this, screenTitle());
    tbList = std::make_shared<TableView>(view()->bounds());
    tbList->setIdentifier(listIdentifier());
    tbList->setSeparatorStyle(SeparatorStyle::None);
    tbList->setTableFooterView(std::make_shared<View>());
    tbList->setDataSource(self<QueryListViewController>());
    tbList->setDelegate(self<QueryListViewController>());
    if (hidesListUntilRows()) tbList->setHidden(true);
    view()->addSubview(tbList);
    configureList(*tbList);
    emptyState = ListEmptyState::addTo(*view());
    offlineDataLine = OfflineDataLine::addTo(*view());
    listArea_ = tbList->frame();
    if (requestsOnLoad()) request();
}

void QueryListViewController::viewDidLayoutSubviews() {
    layoutList(view()->bounds());
}

void QueryListViewController::layoutList(const Rect& area) {
    listArea_ = area;
    if (tbList && offlineDataLine) OfflineDataLine::layout(*offlineDataLine, *tbList, area);
}

void QueryListViewController::showEmptyState(const std::string& text) {
    if (emptyState && tbList) ListEmptyState::show(*emptyState, *tbList, text);
}

void QueryListViewController::request() {
    // One overlay for all requests out: it goes when the last of them is answered. It is put up
    // once the query is out, so that the store looks for a kept answer meanwhile (no outcome runs
    // inside send()).
    const bool firstOut = outstanding_++ == 0;
    int tag = requestTag();
    const int made = ++requestsMade_;
    send(whileAlive<QueryListViewController>(
             [tag, made](QueryListViewController& self, std::shared_ptr<WireModel> model) {
                 self.answered();
                 self.freshUpTo_ = std::max(self.freshUpTo_, made);
                 OfflineDataLine::show(*self.offlineDataLine, *self.tbList, self.listArea_, std::nullopt);
                 self.didReceive(std::move(model), tag);
             }),
         whileAlive<QueryListViewController>([](QueryListViewController& self) {
             self.answered();
             self.didFail();
         }),
         // The stored answer at once, under the overlay, unless a later request's fresh one is in.
         whileAlive<QueryListViewController>(
             [tag, made](QueryListViewController& self, std::shared_ptr<WireModel> model, Date fetched) {
                 if (made > self.freshUpTo_) self.showStored(std::move(model), tag, fetched);
             }));
    if (firstOut) screen::showActivityOrNo(true, *view());
}

void QueryListViewController::showStored(std::shared_ptr<WireModel> model, int tag, Date fetched) {
    if (keep(std::move(model), tag) == 0) return;
    OfflineDataLine::show(*offlineDataLine, *tbList, listArea_, fetched);
    tbList->setHidden(false);
    tbList->reloadData();
    showEmptyState({});
}

void QueryListViewController::answered() {
    // With two requests out (a tab pressed twice) the overlay stays until the last one is in.
    if (outstanding_ > 0) --outstanding_;
    if (outstanding_ == 0) screen::showActivityOrNo(false, *view());
}

void QueryListViewController::didReceive(std::shared_ptr<WireModel> model, int tag) {
    if (keep(std::move(model), tag) > 0) {
        tbList->setHidden(false);
        tbList->reloadData();
        showEmptyState({});
    } else {
        tbList->reloadData();
        showToast(tr(kNoDataText));
        showEmptyState(tr(kNoDataText));
    }
}

void QueryListViewController::didFail() {
    showToast(tr(kNetworkErrorText));
    // Rows shown before stay, and then nothing needs saying in their place.
    showEmptyState(tr(kNetworkErrorText));
}

void QueryListViewController::showToast(const std::string& text) {
    screen::setAlertInfo(text, *view());
}

}  // namespace busdesk
