#include "screens/core/BulletinListViewController.h"

#include <algorithm>

#include "core/Session.h"
#include "model/NormalList.h"
#include "platform/Translation.h"
#include "platform/views/NavigationController.h"
#include "screens/core/NewsCellView.h"
#include "screens/core/NewsDetailViewController.h"
#include "services/OfficeQueries.h"
#include "ui/ListEmptyState.h"
#include "ui/OfflineDataLine.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {

void BulletinListViewController::refreshData(int page) {
    screen::showActivityOrNo(true, *view());
    const int made = ++refreshesMade_;
    runQuery<std::shared_ptr<NormalList>>(
        OfficeQueries::bulletins(tag == 3 ? Bulletins::Regulations : Bulletins::Announcements, page),
        whileAlive<BulletinListViewController>(
            [page, made](BulletinListViewController& self, std::shared_ptr<NormalList> answer) {
                self.freshUpTo_ = std::max(self.freshUpTo_, made);
                if (self.offlineDataLine) {
                    self.offlineDataLine->setHidden(true);
                    self.layoutList(self.listArea_);
                }
                self.normalList = std::move(answer);
                self.received(self.normalList, page);
                screen::showActivityOrNo(false, *self.view());
                self.bulletinList().reloadData();
                self.showEmptyState({});
            }),
        whileAlive<BulletinListViewController>([page](BulletinListViewController& self) {
            self.failed(page);
            screen::showActivityOrNo(false, *self.view());
            screen::setAlertInfo(tr(kNetworkErrorText), *self.view());
            // Rows shown before stay; with none, the list's place says why it is empty.
            self.showEmptyState(tr(kNetworkErrorText));
        }),
        // The stored page at once, under the overlay, unless a later refresh's fresh page is in.
        whileAlive<BulletinListViewController>([page, made](BulletinListViewController& self,
                                                            const std::shared_ptr<NormalList>& answer,
                                                            Date fetched) {
            if (made > self.freshUpTo_) self.showStored(answer, page, fetched);
        }));
}

void BulletinListViewController::showStored(const std::shared_ptr<NormalList>& answer, int page,
                                            Date fetched) {
    if (!answer || answer->List.empty()) return;
    normalList = answer;
    received(normalList, page);
    if (!offlineDataLine) {
        if (listArea_.width <= 0) listArea_ = bulletinList().frame();
        offlineDataLine = OfflineDataLine::addTo(*view());
    }
    OfflineDataLine::show(*offlineDataLine, bulletinList(), listArea_, fetched);
    bulletinList().reloadData();
    showEmptyState({});
}

void BulletinListViewController::layoutList(const Rect& area) {
    listArea_ = area;
    if (offlineDataLine)
        OfflineDataLine::layout(*offlineDataLine, bulletinList(), area);
    else
        bulletinList().setFrame(area);
}

void BulletinListViewController::showEmptyState(const std::string& text) {
    if (!emptyState) emptyState = ListEmptyState::addTo(*view());
    ListEmptyState::show(*emptyState, bulletinList(), text);
}

int BulletinListViewController::numberOfRows(TableView&, int) {
    return static_cast<int>(rowCount());
}

std::shared_ptr<TableViewCell> BulletinListViewController::cellForRow(TableView& tv, IndexPath ip) {
    auto cell =
        std::dynamic_pointer_cast<NewsCellView>(tv.dequeueReusableCell(NewsCellView::kReuseIdentifier));
    if (!cell) cell = std::make_shared<NewsCellView>();
    auto info = rowAt(static_cast<std::size_t>(ip.row));
    cell->addInfo(info, tag, info ? displayText(info->ID) : std::string());
    cell->time->setHidden(!showsDates());
    cell->btnDetail->setTag(ip.row + NewsCellView::kButtonTagBase);
    cell->btnDetail->removeAllActions();
    cell->btnDetail->addAction(
        whileAlive<BulletinListViewController>([](BulletinListViewController& self, View& sender) {
            self.openRow(sender.tag() - NewsCellView::kButtonTagBase);
        }));
    return cell;
}

double BulletinListViewController::heightForRow(TableView&, IndexPath) {
    return NewsCellView::kHeight;
}

void BulletinListViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    // Read marks may have changed while a detail was on top: the row read shows it at once.
    if (isViewLoaded()) bulletinList().reloadData();
}

void BulletinListViewController::didSelectRow(TableView& tv, IndexPath ip) {
    tv.deselectRow(ip, false);
    openRow(ip.row);
}

void BulletinListViewController::openRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rowCount()) return;
    auto info = rowAt(static_cast<std::size_t>(row));
    if (!info) return;
    const bool regulation = tag == 3;
    auto detail = std::make_shared<NewsDetailViewController>();
    detail->setTitle(regulation ? tr("规章制度") : tr("公告详情"));
    detail->peopleStr = displayText(regulation ? info->PublishBy : info->Publishby);
    detail->contentHtml = displayText(info->ContentHtml);
    detail->titleStr = displayText(info->Title);
    detail->timeStr = displayText(info->RealeaseDate);
    detail->newid = displayText(info->ID);
    detail->tag = tag;
    if (auto nav = navigationController()) nav->pushViewController(detail, true);
}

}  // namespace busdesk
