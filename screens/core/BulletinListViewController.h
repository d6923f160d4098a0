#pragma once

#include <memory>
#include <string>

#include "platform/Date.h"
#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"

namespace busdesk {

class NormalInfo;
class NormalList;

// What the home page and the bulletin lists share: rows of bulletins whose row or detail button
// opens the bulletin, and the refresh of one page (busy overlay, the bulletins query of the
// screen's kind, "网络异常！" when it fails, the rows shown before staying).
class BulletinListViewController : public ViewController,
                                   public TableViewDataSource,
                                   public TableViewDelegate {
  public:
    // 2 announcements, 3 regulations.
    int tag = 2;
    static constexpr const char* kNetworkErrorText = N_("网络异常！");

    // The last answer.
    std::shared_ptr<NormalList> normalList;
    // In the list's place while a failed refresh left it without rows: "网络异常！".
    std::shared_ptr<Label> emptyState;
    // Above the rows while they are stored pages: "离线数据（更新于 …）". Hidden once a fresh page is in.
    std::shared_ptr<Label> offlineDataLine;

    virtual void refreshData(int page);

    // Back from a bulletin, the list shows its read mark.
    void viewWillAppear(bool animated) override;

    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override;
    double heightForRow(TableView&, IndexPath) override;
    void didSelectRow(TableView&, IndexPath ip) override;

  protected:
    virtual TableView& bulletinList() = 0;
    virtual std::size_t rowCount() const = 0;
    virtual std::shared_ptr<NormalInfo> rowAt(std::size_t row) const = 0;
    // The answer for `page` (already kept as normalList); the overlay goes and the list reloads
    // after this.
    virtual void received(const std::shared_ptr<NormalList>& answer, int page) = 0;
    virtual void failed(int /*page*/) {}
    // The home page leaves out the date of each row.
    virtual bool showsDates() const { return true; }

    // Pushes the detail of `row`.
    void openRow(int row);
    void showEmptyState(const std::string& text);
    // Gives the list `area`, below the stored-answer line while that is shown.
    void layoutList(const Rect& area);

  private:
    void showStored(const std::shared_ptr<NormalList>& answer, int page, Date fetched);
    // The area the screen lays the list out in (the line takes its top while shown).
    Rect listArea_;
    // Refreshes made, and the last one a fresh page came for: a stored page of an older refresh
    // never replaces it.
    int refreshesMade_ = 0;
    int freshUpTo_ = 0;
};

}  // namespace busdesk
