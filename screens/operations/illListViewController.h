#pragma once

#include <string>

#include "model/FinishDisplanInfoArray.h"
#include "model/NormalList.h"
#include "platform/Translation.h"
#include "screens/query/QueryListViewController.h"

namespace busdesk {

// The answer of the day calendar: the completed trips of `selectDate` under their totals
// ("完成车次"), or the violation summary of that day per vehicle and kind ("车辆违规": of `busid`,
// or of every vehicle with `isAll`), whose rows open the single violations. The list shows once an
// answer brings rows.
class illListViewController : public QueryListViewController {
  public:
    static constexpr double kTotalsHeight = 44;
    // The two menu titles the list serves; the title decides the layout and the call.
    static constexpr const char* kTripsTitle = N_("完成车次");
    static constexpr const char* kViolationsTitle = N_("车辆违规");

    void viewDidLoad() override;

    std::string titleStr;
    std::string selectDate;
    std::string busid;
    bool isAll = false;
    // false: completed trips; true: violations.
    bool istag = false;
    std::shared_ptr<FinishDisplanInfoArray> finishArrModel;
    std::shared_ptr<NormalList> normalList;

    int numberOfRows(TableView&, int section) override;
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override;
    double heightForRow(TableView&, IndexPath ip) override;
    double heightForHeader(TableView&, int section) override;
    std::shared_ptr<View> viewForHeader(TableView&, int section) override;
    bool shouldHighlightRow(TableView&, IndexPath) override { return istag; }
    void didSelectRow(TableView&, IndexPath ip) override;

  protected:
    std::string screenTitle() const override;
    bool hidesListUntilRows() const override { return true; }
    void send(Delivered ok, Failed fail, Stored stored) override;
    std::size_t keep(std::shared_ptr<WireModel> model, int requestTag) override;
};

}  // namespace busdesk
