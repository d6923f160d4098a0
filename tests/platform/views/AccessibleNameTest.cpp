// What a screen reader is told a view is and is called, without any per-screen setting: the role
// of the view's kind and a name from what the view shows.
#include <gtest/gtest.h>

#include "platform/views/Button.h"
#include "platform/views/ImageView.h"
#include "platform/views/Label.h"
#include "platform/views/PickerView.h"
#include "platform/views/TableViewCell.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"

namespace busdesk {
namespace {

TEST(AccessibleName, AButtonSaysItsTitleUnlessGivenWordsAndARoleSetWins) {
    Button b(Rect{0, 0, 80, 30}, "查询");
    EXPECT_EQ(b.accessibilityRole(), AccessibilityRole::Button);
    EXPECT_EQ(b.accessibleName(), "查询");
    Button icon(Rect{0, 0, 30, 30});
    icon.setImageName("back");
    EXPECT_EQ(icon.accessibleName(), "") << "an icon alone says nothing";
    icon.setAccessibilityLabel("返回");
    EXPECT_EQ(icon.accessibleName(), "返回");
    b.setAccessibilityRole(AccessibilityRole::Tab);
    EXPECT_EQ(b.accessibilityRole(), AccessibilityRole::Tab);
}

// A bare button laid over a row's texts (tapping anywhere opens the row) says those texts; one
// beside them, or one showing an icon, does not borrow them.
TEST(AccessibleName, ABareTapTargetSaysTheTextsItCovers) {
    auto row = std::make_shared<View>(Rect{0, 0, 390, 60});
    auto title = std::make_shared<Label>(Rect{10, 5, 300, 20}, "关于冬季安全行车的通知");
    auto date = std::make_shared<Label>(Rect{10, 30, 100, 20}, "2014-05-20");
    auto elsewhere = std::make_shared<Label>(Rect{10, 70, 100, 20}, "下一行");
    auto over = std::make_shared<Button>(Rect{0, 0, 390, 60});
    for (const auto& v : std::initializer_list<std::shared_ptr<View>>{title, date, elsewhere, over})
        row->addSubview(v);
    EXPECT_EQ(over->accessibleName(), "关于冬季安全行车的通知, 2014-05-20");
    date->setHidden(true);
    EXPECT_EQ(over->accessibleName(), "关于冬季安全行车的通知");
    over->setImageName("IconNext");
    EXPECT_EQ(over->accessibleName(), "") << "an icon button must be given words of its own";
}

TEST(AccessibleName, LabelsPlainViewsAndPicturesAreButtonsOnlyWhenATapActs) {
    Label l(Rect{0, 0, 100, 20}, "类型");
    View plain(Rect{0, 0, 10, 10});
    ImageView picture(Rect{0, 0, 10, 10});
    EXPECT_EQ(l.accessibilityRole(), AccessibilityRole::StaticText);
    EXPECT_EQ(l.accessibleName(), "类型");
    EXPECT_EQ(plain.accessibilityRole(), AccessibilityRole::None);
    EXPECT_EQ(picture.accessibilityRole(), AccessibilityRole::None) << "an unnamed picture is decoration";
    picture.setAccessibilityLabel("照片1");
    EXPECT_EQ(picture.accessibilityRole(), AccessibilityRole::Image);
    for (View* v : {static_cast<View*>(&l), &plain, static_cast<View*>(&picture)}) {
        v->addTapHandler([](View&) {});
        EXPECT_EQ(v->accessibilityRole(), AccessibilityRole::Button);
    }
}

// A form's field is named by the label beside it (the nearest one on its left whose line it
// crosses), else by a label just above it, else by its placeholder; words set win over all.
TEST(AccessibleName, AFieldIsNamedByItsCaptionElseItsPlaceholder) {
    auto form = std::make_shared<View>(Rect{0, 0, 390, 400});
    auto far = std::make_shared<Label>(Rect{0, 10, 60, 30}, "车辆：");
    auto near = std::make_shared<Label>(Rect{70, 10, 60, 30}, "车号：");
    auto field = std::make_shared<TextField>(Rect{140, 10, 200, 30});
    field->setPlaceholder("请输入车号");
    form->addSubview(far);
    form->addSubview(near);
    form->addSubview(field);
    EXPECT_EQ(field->accessibilityRole(), AccessibilityRole::TextField);
    EXPECT_EQ(field->accessibleName(), "车号：");
    near->setHidden(true);
    EXPECT_EQ(field->accessibleName(), "车辆：") << "a hidden label is no caption";
    far->setText("");
    EXPECT_EQ(field->accessibleName(), "请输入车号") << "nor is an empty one";

    // Above, within a line's gap and overlapping it sideways; not one far above or off to the side.
    auto above = std::make_shared<Label>(Rect{140, 100, 200, 20}, "问题描述");
    auto aside = std::make_shared<Label>(Rect{0, 100, 100, 20}, "别处");
    auto text = std::make_shared<TextView>(Rect{140, 130, 200, 80});
    form->addSubview(aside);
    form->addSubview(above);
    form->addSubview(text);
    EXPECT_EQ(text->accessibleName(), "问题描述");
    above->setFrame({140, 60, 200, 20});
    EXPECT_EQ(text->accessibleName(), "");
    text->addSubview(std::make_shared<Label>(Rect{0, 0, 200, 20}, "请描述问题"));
    EXPECT_EQ(text->accessibleName(), "请描述问题") << "the hint drawn inside it";
    text->setAccessibilityLabel("反馈内容");
    EXPECT_EQ(text->accessibleName(), "反馈内容");
}

TEST(AccessibleName, ARowSaysItsTextsInOrderAndAWheelItsChoice) {
    TableViewCell cell(CellStyle::Value1, "row");
    cell.textLabel().setText("实发金额");
    cell.detailTextLabel().setText("3,456.00");
    EXPECT_EQ(cell.accessibilityRole(), AccessibilityRole::ListRow);
    EXPECT_EQ(cell.accessibleName(), "实发金额, 3,456.00");

    PickerView wheel(Rect{0, 0, 200, 200});
    EXPECT_EQ(wheel.accessibilityRole(), AccessibilityRole::Picker);
    EXPECT_EQ(wheel.accessibleName(), "");
    wheel.setColumns({{"2014年", "2015年"}, {"3月", "4月"}});
    wheel.selectRow(1, 0);
    EXPECT_EQ(wheel.accessibleName(), "2015年 3月");
    wheel.setAccessibilityLabel("月份");
    EXPECT_EQ(wheel.accessibleName(), "月份");
}

}  // namespace
}  // namespace busdesk
