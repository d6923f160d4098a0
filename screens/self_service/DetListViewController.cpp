#include "screens/self_service/DetListViewController.h"

#include "platform/views/NavigationController.h"
#include "services/SuggestServer.h"
#include "ui/ImageBrowser.h"

namespace busdesk {

double DetListViewController::heightForRow(TableView&, IndexPath ip) {
    return DetListTableViewCell::heightFor(itemAt(ip.row).get());
}

void DetListViewController::send(boost::json::object params, Delivered ok, Failed fail) {
    std::optional<std::string> empID;
    if (auto* v = params.if_contains("EmpID"); v && v->is_string()) empID = std::string(v->get_string());
    SuggestServer::getSuggestsWithEmpID(
        empID, [ok = std::move(ok)](std::shared_ptr<SuggestList> list) { ok(std::move(list)); },
        std::move(fail));
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
    browser->setTitle(kBrowserTitle);
    if (auto nav = navigationController()) nav->pushViewController(browser, true);
}

}  // namespace busdesk
