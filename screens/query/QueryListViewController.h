#pragma once

#include <functional>
#include <memory>
#include <string>

#include "model/WireModel.h"
#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/TableView.h"
#include "platform/views/ViewController.h"
#include "services/AnswerDecoders.h"
#include "services/OfficeQueries.h"

namespace busdesk {

// A screen that asks the office service once when it loads and shows the answer as a list:
// title bar, busy overlay, the typed query, keeping the delivered model, "暂无数据" for an empty
// list, "网络异常！" for a failure with the previous data kept. A screen says only what differs:
// its title, its query and its rows.
class QueryListViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    using Delivered = std::function<void(std::shared_ptr<WireModel>)>;
    using Failed = std::function<void()>;

    static constexpr const char* kNoDataText = N_("暂无数据");
    static constexpr const char* kNetworkErrorText = N_("网络异常！");

    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // Asks again: overlay on, then exactly one of didReceive / didFail when the answer is in.
    void request();
    // Requests sent and not yet answered.
    int outstandingRequests() const { return outstanding_; }

    bool shouldHighlightRow(TableView&, IndexPath) override { return false; }

    std::shared_ptr<TableView> tbList;
    // Above the rows while they are the stored answer (the office could not be asked yet, or
    // failed): "离线数据（更新于 …）". Hidden once a fresh answer is in.
    std::shared_ptr<Label> offlineDataLine;
    // In the list's place while it has no rows: why ("暂无数据", "网络异常！"), so that a user who
    // looked away from the toast still sees it. Hidden while rows are shown.
    std::shared_ptr<Label> emptyState;

  protected:
    // ---- what a screen says
    virtual std::string screenTitle() const = 0;
    // A screen the menu opens gets the menu title bar; a pushed one the back and home buttons.
    virtual bool openedFromMenu() const { return false; }
    // A page inside another screen (a tab) has no title bar of its own.
    virtual bool showsTitleBar() const { return true; }
    // A page that asks only when it is first shown returns false and calls request() itself.
    virtual bool requestsOnLoad() const { return true; }
    virtual std::string listIdentifier() const { return "tbList"; }
    // The list stays hidden until an answer brings rows.
    virtual bool hidesListUntilRows() const { return false; }
    // A stored answer's model with its fetch time, shown until the fresh answer is in.
    using Stored = std::function<void(std::shared_ptr<WireModel>, Date)>;
    // Sends the screen's query: run() of a typed query from services/OfficeQueries.h, which hands
    // `stored` the answer kept for it and then `ok` or `fail` the outcome.
    virtual void send(Delivered ok, Failed fail, Stored stored) = 0;
    // Keeps the delivered model (null when the answer carried none) as the data of the request
    // made with `requestTag`; returns how many rows it holds.
    virtual std::size_t keep(std::shared_ptr<WireModel> model, int requestTag) = 0;
    // Sent along with a request and handed back to keep(), so an answer lands where it was asked.
    virtual int requestTag() const { return 0; }
    // Called once the table exists, before the first request.
    virtual void configureList(TableView&) {}

    // ---- the answer; screens that deviate from the usual handling override these
    // keep(), then reload the list when it holds rows, else the toast "暂无数据".
    virtual void didReceive(std::shared_ptr<WireModel> model, int requestTag);
    // The toast "网络异常！"; what was shown stays.
    virtual void didFail();

    void showToast(const std::string& text);
    // Gives the list `area` (the whole view unless a screen lays out more), below the stored-answer
    // line while that is shown.
    void layoutList(const Rect& area);
    // Shows `text` in the list's place unless the list has rows; hides it when it has, or when
    // `text` is empty.
    void showEmptyState(const std::string& text);
    // Runs `query`, handing its model on as the screen's delivered model, and a stored answer's
    // model as the screen's stored one.
    template <class Model>
    static void run(const OfficeQuery<std::shared_ptr<Model>>& query, Delivered ok, Failed fail,
                    Stored stored) {
        runQuery<std::shared_ptr<Model>>(
            query, [ok = std::move(ok)](std::shared_ptr<Model> model) { ok(std::move(model)); },
            std::move(fail),
            [stored = std::move(stored)](std::shared_ptr<Model> model, Date at) {
                stored(std::move(model), at);
            });
    }

  private:
    void answered();
    Rect listArea_;
    void showStored(std::shared_ptr<WireModel> model, int requestTag, Date fetched);
    int outstanding_ = 0;
    // Requests made, and the last one a fresh answer came for: a stored answer of an older request
    // than that never replaces it (its own request's fresh answer the query path already checks).
    int requestsMade_ = 0;
    int freshUpTo_ = 0;
};

// A result list of one list record whose rows are one cell kind. `Items` is the record's list
// field (&NormalList::List); `Cell` is a RowLinesCell over the element kind.
template <auto Items, class Cell>
class ResultListViewController : public QueryListViewController {
  public:
    using List = typename ListField<decltype(Items)>::List;
    using Item = typename ListField<decltype(Items)>::Row;
    using Query = OfficeQuery<std::shared_ptr<List>>;

    // The last list received (null until then).
    std::shared_ptr<List> received;

    std::size_t rowCount() const { return received ? ((*received).*Items).count() : 0; }
    std::shared_ptr<Item> itemAt(int row) const {
        return received && row >= 0 ? ((*received).*Items).objectAtIndex(static_cast<std::size_t>(row))
                                    : nullptr;
    }

    int numberOfRows(TableView&, int) override { return static_cast<int>(rowCount()); }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        auto cell = std::dynamic_pointer_cast<Cell>(tv.dequeueReusableCell(Cell::kReuseIdentifier));
        if (!cell) cell = std::make_shared<Cell>();
        auto item = itemAt(ip.row);
        cell->fill(item.get(), ip.row);
        prepareCell(*cell, ip.row);
        return cell;
    }
    double heightForRow(TableView&, IndexPath) override { return prototype().rowHeight(); }

  protected:
    // The office query whose answer the list shows.
    virtual Query query() const = 0;
    void send(Delivered ok, Failed fail, Stored stored) override {
        run(query(), std::move(ok), std::move(fail), std::move(stored));
    }
    // Buttons and other per-row wiring beyond the lines.
    virtual void prepareCell(Cell&, int /*row*/) {}

    std::size_t keep(std::shared_ptr<WireModel> model, int) override {
        received = std::dynamic_pointer_cast<List>(model);
        return rowCount();
    }

  private:
    Cell& prototype() {
        if (!prototype_) prototype_ = std::make_shared<Cell>();
        return *prototype_;
    }
    std::shared_ptr<Cell> prototype_;
};

}  // namespace busdesk
