#include <gtest/gtest.h>

#include <cmath>

#include "platform/views/Button.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TableView.h"
#include "platform/views/TextField.h"
#include "platform/views/TextFit.h"
#include "platform/views/TextSize.h"
#include "platform/views/ViewController.h"
#include "platform/views/Window.h"

namespace busdesk {
namespace {

class TextFitTest : public ::testing::Test {
  protected:
    void TearDown() override {
        TextSize::setPreference(std::nullopt);
        TextSize::setDesktopPercent(100);
    }
};

std::shared_ptr<Label> label(View& parent, Rect frame, std::string text) {
    auto l = std::make_shared<Label>(frame, std::move(text));
    parent.addSubview(l);
    return l;
}

TEST_F(TextFitTest, StepsFollowTheChoiceElseTheDesktopAndEveryTextViewScales) {
    struct Case {
        double percent;
        int step;
    };
    for (auto c :
         {Case{40, 100}, Case{112.4, 100}, Case{112.5, 125}, Case{160, 150}, Case{190, 200}, Case{400, 200}})
        EXPECT_EQ(TextSize::nearestStep(c.percent), c.step) << c.percent;
    auto before = TextSize::revision();
    TextSize::setDesktopPercent(130);
    EXPECT_EQ(TextSize::percent(), 125);
    EXPECT_GT(TextSize::revision(), before);
    TextSize::setPreference(175);
    EXPECT_EQ(TextSize::percent(), 175);
    before = TextSize::revision();
    TextSize::setDesktopPercent(200);  // a choice stands whatever the desktop does
    EXPECT_EQ(TextSize::revision(), before);

    Label l;
    l.setFontSize(16);
    Button b;
    b.setFontSize(14);
    TextField f;
    EXPECT_DOUBLE_EQ(l.fontSize(), 28);
    EXPECT_DOUBLE_EQ(l.designFontSize(), 16);
    EXPECT_DOUBLE_EQ(b.fontSize(), 24.5);
    EXPECT_DOUBLE_EQ(f.fontSize(), 17 * 1.75);
    l.setText("调度");
    EXPECT_DOUBLE_EQ(l.sizeThatFits({}).height, 1.2 * 28);
}

// A screen of fixed frames: a long label, a row of two captions side by side, a button below.
TEST_F(TextFitTest, GrownTextsPushWhatIsBelowDownOnceAndTheScreenScrolls) {
    auto screen = std::make_shared<ViewController>();
    auto& root = *screen->view();
    auto longLine = label(root, {20, 20, 330, 20}, "驾驶员须在发车前十分钟到达调度室签到");
    auto left = label(root, {20, 50, 100, 20}, "计划上班");
    auto right = label(root, {140, 50, 110, 40}, "实际上班时间");
    right->setNumberOfLines(0);
    auto button = std::make_shared<Button>(Rect{20, 100, 200, 44}, "查询");
    root.addSubview(button);
    auto farBelow = label(root, {20, 800, 200, 20}, "版本");

    textfit::fitTree(root);  // at 100 % everything fits as laid out
    EXPECT_EQ(longLine->frame(), (Rect{20, 20, 330, 20}));
    EXPECT_FALSE(longLine->wrapsToFit());
    EXPECT_EQ(button->frame(), (Rect{20, 100, 200, 44}));
    EXPECT_FALSE(dynamic_cast<ScrollView&>(root).scrollEnabled());

    TextSize::setPreference(200);
    textfit::fitTree(root);
    // 18 characters of 34 points in 330: nine to a line, two lines of 40.8.
    EXPECT_TRUE(longLine->wrapsToFit());
    EXPECT_DOUBLE_EQ(longLine->frame().height, 2 * 40.8);
    const double grown = 2 * 40.8 - 20;
    EXPECT_DOUBLE_EQ(left->frame().y, 50 + grown);
    EXPECT_DOUBLE_EQ(right->frame().y, 50 + grown);
    // Side by side, the taller growth moves what is below: both wrap over two lines, "计划上班"
    // from 20 points, "实际上班时间" from 40.
    EXPECT_DOUBLE_EQ(left->frame().height, 2 * 40.8);
    EXPECT_DOUBLE_EQ(right->frame().height, 2 * 40.8);
    EXPECT_DOUBLE_EQ(button->frame().y, 100 + grown + 2 * 40.8 - 20);
    EXPECT_GT(farBelow->frame().maxY(), 844);
    auto& scroll = dynamic_cast<ScrollView&>(root);
    EXPECT_TRUE(scroll.scrollEnabled());
    EXPECT_DOUBLE_EQ(scroll.contentSize().height, farBelow->frame().maxY());

    // Again, and after the screen set part of its frames anew: the same frames, nothing moved twice.
    Rect buttonBefore = button->frame();
    textfit::fitTree(root);
    EXPECT_EQ(button->frame(), buttonBefore);
    longLine->setFrame({20, 20, 330, 20});
    textfit::fitTree(root);
    EXPECT_EQ(button->frame(), buttonBefore);
    EXPECT_EQ(button->layoutFrame(), (Rect{20, 100, 200, 44}));

    // Back at 100 % the laid-out frames return.
    TextSize::setPreference(100);
    textfit::fitTree(root);
    EXPECT_EQ(button->frame(), (Rect{20, 100, 200, 44}));
    EXPECT_FALSE(longLine->wrapsToFit());
    EXPECT_FALSE(scroll.scrollEnabled());
}

// The home page's shape: a line at the top, a list, and a bar of icon-over-title shortcuts held
// against the screen's bottom edge. Grown, the bar rises into the list instead of leaving the
// screen, and its titles wrap rather than being cut.
TEST_F(TextFitTest, ABarAtTheScreensBottomGrowsUpwardIntoTheListAboveIt) {
    auto screen = std::make_shared<ViewController>();
    auto& root = *screen->view();
    const double height = root.frame().height;
    auto top = label(root, {10, 4, 370, 20}, "上次刷新时间：2026-12-09 10:00:00");
    top->setFontSize(13);
    auto list = std::make_shared<TableView>(Rect{0, 56, 390, height - 60 - 56});
    root.addSubview(list);
    std::vector<std::shared_ptr<Button>> bar;
    for (int i = 0; i < 5; ++i) {
        auto b = std::make_shared<Button>(Rect{78.0 * i, height - 60, 78, 60}, i ? "排班" : "Duty Roster");
        b->setImageName("roster");
        b->setFontSize(13);
        root.addSubview(b);
        bar.push_back(b);
    }

    // Every button ends at the bottom edge, all as tall as the tallest icon and title need; the
    // list ends where the bar begins; nothing scrolls.
    auto fitted = [&](const char* size) {
        textfit::fitTree(root);
        double tallest = 60;
        for (auto& b : bar) tallest = std::max(tallest, *b->fitTextHeight(b->frame()));
        for (auto& b : bar) {
            EXPECT_DOUBLE_EQ(b->frame().maxY(), height) << size;
            EXPECT_TRUE(b->drawsIconOverTitle(b->frame())) << size;
            EXPECT_DOUBLE_EQ(b->frame().height, tallest) << size;
        }
        EXPECT_DOUBLE_EQ(list->frame().maxY(), bar[0]->frame().y) << size;
        EXPECT_FALSE(dynamic_cast<ScrollView&>(root).scrollEnabled()) << size;
    };
    // At 100 % only the English title needs a second line, and the bar grows for it.
    fitted("100 %");
    EXPECT_TRUE(bar[0]->titleWrapsToFit());
    EXPECT_FALSE(bar[1]->titleWrapsToFit());
    EXPECT_GT(bar[0]->frame().height, 60);
    EXPECT_EQ(list->frame().y, 56);

    TextSize::setPreference(200);
    fitted("200 %");
    EXPECT_GT(top->frame().height, 20);
    EXPECT_DOUBLE_EQ(list->frame().y, top->frame().maxY() + 56 - 24);
    // The English title is drawn smaller, in whole points, so that "Roster" fits the width whole
    // (78 less an inset of 1 at either side, and 2 to spare), though never below its design size.
    const double size = bar[0]->titleFontSize(bar[0]->frame());
    EXPECT_LT(size, bar[0]->fontSize());
    EXPECT_GT(size, 13);
    EXPECT_EQ(size, std::floor(size));
    EXPECT_LE(textWidth("Roster", size), 74);
    EXPECT_GT(textWidth("Roster", size + 1), 74);
    EXPECT_DOUBLE_EQ(bar[1]->titleFontSize(bar[1]->frame()), bar[1]->fontSize());
}

class GrowingRows : public TableViewDataSource, public TableViewDelegate {
  public:
    int numberOfRows(TableView&, int) override { return 30; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        auto cell = tv.dequeueReusableCell("row");
        if (!cell) {
            cell = std::make_shared<TableViewCell>(CellStyle::Default, "row");
            label(cell->contentView(), {10, 8, 300, 22}, "")->setTag(1);
            label(cell->contentView(), {10, 30, 300, 22}, "")->setTag(2);
        }
        // Every third row has a long second line.
        dynamic_cast<Label*>(cell->viewWithTag(1))->setText("车号：" + std::to_string(ip.row));
        dynamic_cast<Label*>(cell->viewWithTag(2))
            ->setText(ip.row % 3 ? "线路：12" : "备注：车辆在终点站停靠时请检查车门与灯光是否正常");
        return cell;
    }
    double heightForRow(TableView&, IndexPath) override { return 60; }
};

TEST_F(TextFitTest, ListRowsTakeTheHeightOfTheirContentAndNeverOverlap) {
    auto window = std::make_shared<Window>();
    auto table = std::make_shared<TableView>(Rect{0, 0, 320, 600});
    window->addSubview(table);
    auto rows = std::make_shared<GrowingRows>();
    table->setDataSource(rows);
    table->setDelegate(rows);
    table->reloadData();
    EXPECT_DOUBLE_EQ(table->rectForRow({0, 1}).height, 60);

    TextSize::setPreference(200);
    window->fitTexts();  // the window lays everything out again, lists measure their rows
    const double line = 1.2 * 34;
    // Short rows: two lines of 40.8 grow the content by 2 × 18.8; the long line wraps over three.
    EXPECT_DOUBLE_EQ(table->rectForRow({0, 1}).height, 60 + 2 * (line - 22));
    EXPECT_GT(table->rectForRow({0, 0}).height, table->rectForRow({0, 1}).height + line);
    for (auto& cell : table->visibleCells()) {
        auto ip = table->indexPathForCell(*cell);
        ASSERT_TRUE(ip);
        Rect row = table->rectForRow(*ip);
        EXPECT_EQ(cell->frame(), row);
        for (auto& v : cell->contentView().subviews())
            EXPECT_LE(v->frame().maxY(), row.height) << "row " << ip->row;
    }
    for (int r = 1; r < 30; ++r)
        EXPECT_DOUBLE_EQ(table->rectForRow({0, r}).y, table->rectForRow({0, r - 1}).maxY());
}

}  // namespace
}  // namespace busdesk
