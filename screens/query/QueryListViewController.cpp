#include "screens/query/QueryListViewController.h"

#include "ui/ListEmptyState.h"
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
    if (requestsOnLoad()) request();
}

void QueryListViewController::viewDidLayoutSubviews() {
    if (tbList) tbList->setFrame(view()->bounds());
}

void QueryListViewController::showEmptyState(const std::string& text) {
    if (emptyState && tbList) ListEmptyState::show(*emptyState, *tbList, text);
}

void QueryListViewController::request() {
    // One overlay for all requests out: it goes when the last of them is answered.
    if (outstanding_++ == 0) screen::showActivityOrNo(true, *view());
    int tag = requestTag();
    send(whileAlive<QueryListViewController>(
             [tag](QueryListViewController& self, std::shared_ptr<WireModel> model) {
                 self.answered();
                 self.didReceive(std::move(model), tag);
             }),
         whileAlive<QueryListViewController>([](QueryListViewController& self) {
             self.answered();
             self.didFail();
         }));
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
        showToast(kNoDataText);
        showEmptyState(kNoDataText);
    }
}

void QueryListViewController::didFail() {
    showToast(kNetworkErrorText);
    // Rows shown before stay, and then nothing needs saying in their place.
    showEmptyState(kNetworkErrorText);
}

void QueryListViewController::showToast(const std::string& text) {
    screen::setAlertInfo(text, *view());
}

}  // namespace busdesk
