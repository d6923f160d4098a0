#include "screens/self_service/DetListViewController.h"

#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "ui/ImageBrowser.h"

namespace busdesk {

double DetListViewController::heightForRow(TableView&, IndexPath ip) {
    return DetListTableViewCell::heightFor(itemAt(ip.row).get());
}

void DetListViewController::prepareCell(DetListTableViewCell& cell, int row) {
    for (auto& picture : cell.pictures)
        picture->addAction(whileAlive<DetListViewController>(
            [row](DetListViewController& self, View& sender) { self.showPictures(row, sender.tag()); }));
}

void DetListViewController::showPictures(int row, int index) {
    auto item = itemAt(row);
    if (!item) return;
    std::vector<ImageBrowser::ImageSource> sources;
    for (auto& address : DetListTableViewCell::pictureAddresses(*item)) sources.emplace_back(address);
    if (sources.empty()) return;
    auto browser = std::make_shared<ImageBrowser>(std::move(sources), index);
    browser->setTitle(tr(kBrowserTitle));
    if (auto nav = navigationController()) nav->pushViewController(browser, true);
}

}  // namespace busdesk
