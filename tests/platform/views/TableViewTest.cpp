#include <gtest/gtest.h>

#include "platform/views/ScreenDump.h"
#include "platform/views/TableView.h"
#include "platform/views/Window.h"

namespace busdesk {
namespace {

class Rows : public TableViewDataSource, public TableViewDelegate {
  public:
    explicit Rows(int count) : count(count) {}
    int numberOfRows(TableView&, int) override { return count; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        ++asked;
        auto cell = tv.dequeueReusableCell("row");
        if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Default, "row");
        cell->textLabel().setText("row " + std::to_string(ip.row));
        return cell;
    }
    double heightForRow(TableView&, IndexPath ip) override { return ip.row % 2 ? 60 : 40; }
    void didSelectRow(TableView&, IndexPath ip) override { selected.push_back(ip.row); }
    int count;
    int asked = 0;
    std::vector<int> selected;
};

class TableViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        table = std::make_shared<TableView>(Rect{0, 0, 320, 500});
        table->setIdentifier("list");
        window->addSubview(table);
    }
    std::shared_ptr<Window> window;
    std::shared_ptr<TableView> table;
};

TEST_F(TableViewTest, HundredThousandRowsCreateOnlyTheVisibleCellsWhileScrollingThrough) {
    auto rows = std::make_shared<Rows>(100000);
    std::size_t liveBefore = TableViewCell::liveCount();
    table->setDataSource(rows);
    table->setDelegate(rows);
    table->reloadData();
    // 500 points of rows alternating 40 and 60 high: 10 rows visible (11 when straddling).
    EXPECT_EQ(table->visibleCells().size(), 10u);
    EXPECT_DOUBLE_EQ(table->contentSize().height, 50.0 * 100000);
    for (double y = 0; y < table->maxOffsetY(); y += 977) table->setContentOffset({0, y});
    table->scrollToEnd();
    EXPECT_LE(table->cellsCreated(), 11u + 2);
    EXPECT_LE(TableViewCell::liveCount() - liveBefore, 11u + 2);
    auto visible = table->indexPathsForVisibleRows();
    ASSERT_FALSE(visible.empty());
    EXPECT_EQ(visible.back().row, 99999);
    EXPECT_EQ(table->cellForRow(visible.back())->textLabel().text(), "row 99999");
}

TEST_F(TableViewTest, CellsScrolledOutAreReusedAndRowsAtTheEdgesAreExact) {
    auto rows = std::make_shared<Rows>(100);
    table->setDataSource(rows);
    table->setDelegate(rows);
    table->reloadData();
    auto firstCell = table->cellForRow({0, 0});
    ASSERT_TRUE(firstCell);
    // Row 0 spans 0..40: an offset of 40 puts it just out of view.
    table->setContentOffset({0, 40});
    EXPECT_EQ(table->cellForRow({0, 0}), nullptr);
    EXPECT_NE(table->cellForRow({0, 1}), nullptr);
    table->setContentOffset({0, 39.5});
    EXPECT_NE(table->cellForRow({0, 0}), nullptr);
    table->setContentOffset({0, 2000});
    table->setContentOffset({0, 0});
    EXPECT_EQ(table->cellForRow({0, 0})->textLabel().text(), "row 0");
    EXPECT_LE(table->cellsCreated(), 12u);
}

TEST_F(TableViewTest, SelectionTellsTheDelegateAndReloadClearsIt) {
    auto rows = std::make_shared<Rows>(30);
    table->setDataSource(rows);
    table->setDelegate(rows);
    table->reloadData();
    // A row below the fold: scrolled into view first, then selected.
    ASSERT_TRUE(table->userSelectRow({0, 25}));
    EXPECT_EQ(rows->selected, std::vector<int>{25});
    ASSERT_TRUE(table->cellForRow({0, 25}));
    EXPECT_TRUE(table->cellForRow({0, 25})->isSelected());
    table->deselectRow({0, 25}, true);
    EXPECT_FALSE(table->indexPathForSelectedRow());
    EXPECT_FALSE(table->cellForRow({0, 25})->isSelected());
    EXPECT_FALSE(table->userSelectRow({0, 30}));
    table->setAllowsSelection(false);
    EXPECT_FALSE(table->userSelectRow({0, 1}));
    EXPECT_EQ(rows->selected.size(), 1u);
    // Tapping a visible cell selects its row.
    table->setAllowsSelection(true);
    table->scrollToTop();
    ASSERT_TRUE(table->cellForRow({0, 2})->userTap());
    EXPECT_EQ(rows->selected.back(), 2);
    table->selectRow({0, 3});
    table->reloadData();
    EXPECT_FALSE(table->indexPathForSelectedRow());
}

TEST_F(TableViewTest, UpdatesApplyOnceAtTheOutermostEnd) {
    auto rows = std::make_shared<Rows>(3);
    table->setDataSource(rows);
    table->reloadData();
    table->beginUpdates();
    table->beginUpdates();
    rows->count = 5;
    table->endUpdates();
    EXPECT_EQ(table->totalRows(), 3);
    table->endUpdates();
    EXPECT_EQ(table->totalRows(), 5);
    table->endUpdates();  // unbalanced: ignored
    EXPECT_EQ(table->totalRows(), 5);
}

TEST_F(TableViewTest, DumpListsTheFirstFiftyRowsEvenBelowTheFold) {
    auto rows = std::make_shared<Rows>(120);
    table->setDataSource(rows);
    table->setDelegate(rows);
    table->reloadData();
    auto lines = ScreenDump::lines(*table);
    ASSERT_EQ(lines.size(), 1u + 50 + 1);
    EXPECT_EQ(lines[0], "list #list: 120 rows");
    EXPECT_EQ(lines[1], "  [0] \"row 0\"");
    EXPECT_EQ(lines[50], "  [49] \"row 49\"");
    EXPECT_EQ(lines[51], "  ... 70 more");
    // Building rows for the dump goes through the pool, not a cell per row.
    EXPECT_LE(table->cellsCreated(), 13u);
    EXPECT_EQ(table->findRowWithText("row 77"), (IndexPath{0, 77}));
    EXPECT_FALSE(table->findRowWithText("nothing like it"));
}

TEST_F(TableViewTest, ADataSourceThatDiesLeavesAnEmptyList) {
    auto rows = std::make_shared<Rows>(10);
    table->setDataSource(rows);
    table->reloadData();
    rows.reset();
    table->reloadData();
    EXPECT_EQ(table->totalRows(), 0);
    EXPECT_TRUE(table->visibleCells().empty());
}

TEST(TableViewCellTest, TitleReadsBeforeDetailWhicheverWasTouchedFirst) {
    TableViewCell cell(CellStyle::Value1, "c");
    cell.detailTextLabel().setText("10086");
    cell.textLabel().setText("工号");
    EXPECT_EQ(cell.rowTexts(), (std::vector<std::string>{"工号", "10086"}));
}

}  // namespace
}  // namespace busdesk
