#include <gtest/gtest.h>

#include <cctype>

#include "platform/DateFormat.h"
#include "platform/RunLoop.h"
#include "platform/views/ActionSheet.h"
#include "platform/views/NavigationController.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/TextSize.h"
#include "platform/views/Window.h"
#include "ui/CalendarView.h"
#include "ui/CheckBoxView.h"
#include "ui/DatePickerSheet.h"
#include "ui/InfoAlert.h"
#include "ui/MonthPicker.h"
#include "ui/PhotoStripView.h"
#include "ui/ProgressHUD.h"
#include "ui/PullToRefresh.h"
#include "ui/ScreenHelpers.h"
#include "ui/ScrollingLabel.h"
#include "ui/SideMenu.h"
#include "ui/StringPickerSheet.h"

namespace busdesk {
namespace {

Date day(const char* text) {
    return *parseDate(text, "yyyy-MM-dd");
}

class ComponentsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setDeviceTimeZone("Asia/Shanghai");
        RunLoop::main().useManualClock();
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        screen = std::make_shared<ViewController>();
        window->setRootViewController(screen);
    }
    void TearDown() override {
        // Let every fade and removal timer run so no test leaks into the next.
        RunLoop::main().advance(seconds(10));
        Date::setNow(std::nullopt);
    }
    std::shared_ptr<Window> window;
    std::shared_ptr<ViewController> screen;
};

TEST_F(ComponentsTest, ToastFractionIsClampedAndItFadesOnTheDocumentedTimeline) {
    auto v = std::make_shared<View>(Rect{0, 100, 390, 600});
    screen->view()->addSubview(v);
    auto top = InfoAlert::showInfo("暂无数据", Color::darkGray(), *v, -0.5);
    auto bottom = InfoAlert::showInfo("网络异常！", Color::darkGray(), *v, 2);
    ASSERT_TRUE(top && bottom);
    EXPECT_DOUBLE_EQ(top->center().y, 100);
    EXPECT_DOUBLE_EQ(bottom->center().y, 700);
    EXPECT_DOUBLE_EQ(top->center().x, 195);
    // Text measured at 14 points inside 200 × 100, plus the padding.
    EXPECT_DOUBLE_EQ(top->frame().width, 4 * 14 + 2 * InfoAlert::kPadding);
    // In the window, not in the view.
    EXPECT_EQ(top->superview(), &window->overlayLayer());
    EXPECT_DOUBLE_EQ(top->presentationAlpha(), 0);
    RunLoop::main().advance(seconds(0.15));
    EXPECT_NEAR(top->presentationAlpha(), 0.5, 1e-6);
    RunLoop::main().advance(seconds(0.85));  // t = 1.0: the fade-out starts
    EXPECT_DOUBLE_EQ(top->alpha(), 0);
    RunLoop::main().advance(seconds(0.25));
    EXPECT_NEAR(top->presentationAlpha(), 0.5, 1e-6);
    RunLoop::main().advance(seconds(1.2));  // t = 2.45: still in the window
    EXPECT_EQ(top->superview(), &window->overlayLayer());
    RunLoop::main().advance(seconds(0.05));  // t = 2.5: 1.5 s after the fade-out began
    EXPECT_EQ(top->superview(), nullptr);
    EXPECT_EQ(window->takeToasts(), (std::vector<std::string>{"暂无数据", "网络异常！"}));
}

TEST_F(ComponentsTest, OverlayCoversItsViewAndHidingWhereThereIsNoneReportsFalse) {
    auto v = screen->view();
    EXPECT_FALSE(ProgressHUD::hideHUDForView(*v, true));
    auto button = std::make_shared<Button>(Rect{0, 0, 50, 50}, "查询");
    v->addSubview(button);
    screen::showActivityOrNo(true, *v);
    auto hud = ProgressHUD::HUDForView(*v);
    ASSERT_TRUE(hud);
    EXPECT_EQ(hud->labelText(), "请稍后...");
    EXPECT_EQ(hud->frame(), v->bounds());
    EXPECT_EQ(v->subviews().back(), hud);
    EXPECT_FALSE(button->isReachable());
    screen::showActivityOrNo(false, *v);
    EXPECT_TRUE(button->isReachable());                   // touches go through while the fade runs
    EXPECT_FALSE(ProgressHUD::hideHUDForView(*v, true));  // the fading one does not count
    RunLoop::main().advance(seconds(ProgressHUD::kFadeSeconds));
    EXPECT_EQ(hud->superview(), nullptr);
}

TEST_F(ComponentsTest, TwoCustomDateButtonsThenDoneDeliverTheLastOne) {
    auto target = std::make_shared<int>(0);
    std::vector<Date> delivered;
    View* deliveredOrigin = nullptr;
    auto origin = std::make_shared<Button>(Rect{}, "起始日期");
    screen->view()->addSubview(origin);
    auto sheet = std::make_shared<DatePickerSheet>(
        "起始日期", DatePickerMode::Date, day("2014-05-20"), target,
        [&](Date d, View* o) {
            delivered.push_back(d);
            deliveredOrigin = o;
        },
        origin);
    sheet->addCustomButtonWithTitle("一月", day("2014-01-01"));
    sheet->addCustomButtonWithTitle(std::nullopt, day("2014-02-14"));
    sheet->addCustomButtonWithTitle("零", {});
    EXPECT_EQ(sheet->customButtons()[1].title, "");
    EXPECT_DOUBLE_EQ(std::any_cast<double>(sheet->customButtons()[2].value), 0);
    sheet->setHideCancel(true);
    sheet->showActionSheetPicker();
    ASSERT_EQ(PickerSheet::visibleSheets().size(), 1u);
    sheet->userPressCustomButton(0);
    sheet->userPressCustomButton(1);
    sheet->userPressCustomButton(2);  // not a date: the wheel stays
    EXPECT_TRUE(sheet->isShown());
    sheet->userPressCancel();  // there is no Cancel button
    EXPECT_TRUE(sheet->isShown());
    sheet->userPressDone();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(formatDate(delivered[0], "yyyy-MM-dd"), "2014-02-14");
    EXPECT_EQ(deliveredOrigin, origin.get());
    EXPECT_TRUE(PickerSheet::visibleSheets().empty());
    sheet->userPressDone();  // closed: nothing more
    EXPECT_EQ(delivered.size(), 1u);
}

TEST_F(ComponentsTest, DatePickerActionIsSkippedWhenTheTargetIsGoneAndCancelCallsNothing) {
    int calls = 0;
    auto target = std::make_shared<int>(0);
    auto sheet = DatePickerSheet::showPickerWithTitle("结束日期", DatePickerMode::Date, day("2014-05-20"),
                                                      target, [&](Date, View*) { ++calls; }, {});
    target.reset();
    sheet->userPressDone();
    auto target2 = std::make_shared<int>(0);
    auto other = DatePickerSheet::showPickerWithTitle("结束日期", DatePickerMode::Date, day("2014-05-20"),
                                                      target2, [&](Date, View*) { ++calls; }, {});
    other->userPressCancel();
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(PickerSheet::visibleSheets().empty());
}

TEST_F(ComponentsTest, StringPickerDeliversIndexAndTextOrCancels) {
    std::vector<std::string> kinds{"建议", "表扬", "投诉", "咨询", "其他"};
    std::string chosen;
    int index = -1, cancels = 0;
    auto sheet = StringPickerSheet::showPickerWithTitle(
        "Select a Block", kinds, 0,
        [&](StringPickerSheet&, int i, const std::string& s) {
            index = i;
            chosen = s;
        },
        [&](StringPickerSheet&) { ++cancels; }, {});
    EXPECT_TRUE(sheet->pickValue("咨询"));
    EXPECT_FALSE(sheet->pickValue("nothing"));
    sheet->userPressDone();
    EXPECT_EQ(index, 3);
    EXPECT_EQ(chosen, "咨询");
    // Nothing to choose from: Done counts as Cancel instead of handing out a row that is not there.
    auto empty = StringPickerSheet::showPickerWithTitle(
        "Select a Block", {}, 0, [&](auto&, int, auto&) { index = 99; },
        [&](StringPickerSheet&) { ++cancels; }, {});
    empty->userPressDone();
    EXPECT_EQ(index, 3);
    EXPECT_EQ(cancels, 1);
}

TEST_F(ComponentsTest, MonthPickerClampsAndCallsItsDelegateAroundTheChange) {
    struct Delegate : MonthPickerDelegate {
        std::vector<std::string> calls;
        void monthPickerWillChangeDate(MonthPicker& p) override {
            calls.push_back("will " + formatDate(p.date(), "yyyy-MM"));
        }
        void monthPickerDidChangeDate(MonthPicker& p) override {
            calls.push_back("did " + formatDate(p.date(), "yyyy-MM"));
        }
    };
    auto picker = std::make_shared<MonthPicker>();
    picker->setMinimumYear(2010);
    picker->setDate(*parseDate("2005-03-17 10:00:00", "yyyy-MM-dd HH:mm:ss"));
    EXPECT_EQ(formatDate(picker->date(), "yyyy-MM-dd HH:mm:ss"), "2010-03-01 00:00:00");
    picker->setYearFirst(true);
    picker->setMaximumYear(2015);
    EXPECT_EQ(picker->numberOfRows(0), 6);
    EXPECT_EQ(picker->titleForRow(picker->selectedRow(0), 0), "2010年");
    EXPECT_EQ(picker->titleForRow(picker->selectedRow(1), 1), "3月");
    // Raising the minimum re-clamps the date.
    picker->setMinimumYear(2012);
    EXPECT_EQ(formatDate(picker->date(), "yyyy-MM"), "2012-03");

    auto d = std::make_shared<Delegate>();
    picker->setMonthPickerDelegate(d);
    picker->userSelectRow(7, 1);  // August
    EXPECT_EQ(d->calls, (std::vector<std::string>{"will 2012-03", "did 2012-08"}));
    EXPECT_TRUE(picker->userSelectMonth(2014, 12));
    EXPECT_FALSE(picker->userSelectMonth(2020, 1));
    EXPECT_EQ(formatDate(picker->date(), "yyyy-MM-dd"), "2014-12-01");
}

TEST_F(ComponentsTest, CalendarSwitchesMonthsTellsItsDelegateAndMarksInTheDocumentedColour) {
    Date::setNow(*parseDate("2014-05-20 09:00:00", "yyyy-MM-dd HH:mm:ss"));
    struct Delegate : CalendarViewDelegate {
        std::vector<int> months;
        std::vector<std::string> picked;
        void calendarViewSwitchedToMonth(CalendarView& c, int month, double, bool) override {
            months.push_back(month);
            if (month == 5) c.markDates({1, 5});
        }
        void calendarViewDateSelected(CalendarView&, Date date) override {
            picked.push_back(formatDate(date, "yyyy-MM-dd"));
        }
    };
    auto cal = std::make_shared<CalendarView>(Rect{0, 0, 320, 0});
    screen->view()->addSubview(cal);
    auto d = std::make_shared<Delegate>();
    cal->setDelegate(d);
    ASSERT_EQ(cal->marks().size(), 2u);
    EXPECT_EQ(cal->marks().at(5).hexString(), "0x383838");
    // May 2014 starts on a Thursday: five weeks, and the 1st sits under "四".
    EXPECT_EQ(cal->numberOfWeeks(), 5);
    const View* thursday = nullptr;
    for (auto& v : cal->subviews())
        if (auto* l = dynamic_cast<Label*>(v.get());
            l && l->identifier() == "weekdayName" && l->text() == "四")
            thursday = l;
    auto* first = cal->viewWithTag(1);
    ASSERT_TRUE(thursday && first);
    EXPECT_DOUBLE_EQ(thursday->frame().x, first->frame().x);
    cal->showNextMonth();
    EXPECT_TRUE(cal->marks().empty());
    cal->showPreviousMonth();
    cal->showPreviousMonth();
    EXPECT_EQ(d->months, (std::vector<int>{5, 6, 5, 4}));
    cal->markDates({31, day("2014-04-02"), day("2014-05-02"), 0});
    ASSERT_EQ(cal->marks().size(), 1u);  // 31 April, May and 0 are not days of April
    EXPECT_TRUE(cal->marks().count(2));
    auto* day15 = dynamic_cast<Button*>(cal->viewWithTag(15));
    ASSERT_TRUE(day15);
    EXPECT_TRUE(day15->userTap());
    EXPECT_EQ(d->picked, std::vector<std::string>{"2014-04-15"});
    // The chosen day is drawn apart from the others (the days are rebuilt by the choice).
    auto* chosen = dynamic_cast<Button*>(cal->viewWithTag(15));
    auto* other = dynamic_cast<Button*>(cal->viewWithTag(16));
    ASSERT_TRUE(chosen && other);
    EXPECT_TRUE(chosen->selected());
    EXPECT_NE(chosen->backgroundColor(), other->backgroundColor());
    EXPECT_NE(chosen->titleColorForState(chosen->state()), other->titleColorForState(other->state()));
    cal->reset();
    EXPECT_EQ(cal->currentMonth().month, 5);
    EXPECT_FALSE(cal->selectedDate());
}

// The subviews of the button for `day` that draw a ring (today).
std::vector<View*> ringsOf(CalendarView& cal, int day) {
    std::vector<View*> rings;
    if (auto* b = cal.viewWithTag(day))
        for (auto& v : b->subviews())
            if (v->outline()) rings.push_back(v.get());
    return rings;
}

TEST_F(ComponentsTest, CalendarRingsTodayApartFromTheChosenDayAndPrintsItsMonthAsAGrid) {
    Date::setNow(*parseDate("2014-05-20 09:00:00", "yyyy-MM-dd HH:mm:ss"));
    auto cal = std::make_shared<CalendarView>(Rect{0, 0, 320, 0});
    cal->setIdentifier("calendar");
    screen->view()->addSubview(cal);
    cal->markDates({1, 5});
    // Today has a ring and no fill; no other day has one.
    auto today = ringsOf(*cal, 20);
    ASSERT_EQ(today.size(), 1u);
    EXPECT_EQ(today[0]->frame().width, today[0]->frame().height);
    EXPECT_DOUBLE_EQ(today[0]->cornerRadius(), today[0]->frame().width / 2);  // round
    EXPECT_FALSE(cal->viewWithTag(20)->backgroundColor());
    for (int other : {1, 5, 19, 21}) EXPECT_TRUE(ringsOf(*cal, other).empty()) << other;
    // The chosen day is filled; choosing today keeps its ring, now in a colour seen on the fill.
    ASSERT_TRUE(cal->userSelectDay(7));
    EXPECT_TRUE(cal->viewWithTag(7)->backgroundColor());
    EXPECT_TRUE(ringsOf(*cal, 7).empty());
    EXPECT_EQ(ringsOf(*cal, 20).size(), 1u);
    ASSERT_TRUE(cal->userSelectDay(20));
    auto chosenToday = ringsOf(*cal, 20);
    ASSERT_EQ(chosenToday.size(), 1u);
    EXPECT_NE(chosenToday[0]->outline()->color, *cal->viewWithTag(20)->backgroundColor());
    ASSERT_TRUE(cal->userSelectDay(7));

    auto lines = ScreenDump::lines(*cal);
    const std::vector<std::string> expected = {
        "calendar #calendar: 2014-05 selected 2014-05-07 marks 1,5",
        "   日   一   二   三   四   五   六",
        "                        1*   2    3",
        "    4    5*   6   [7]   8    9   10",
        "   11   12   13   14   15   16   17",
        "   18   19  (20)  21   22   23   24",
        "   25   26   27   28   29   30   31",
        "  [n] chosen  (n) today  n* marked",
    };
    EXPECT_EQ(lines, expected);
    // Another month has no today in it.
    cal->showNextMonth();
    for (const auto& line : ScreenDump::lines(*cal))
        for (auto at = line.find('('); at != std::string::npos; at = line.find('(', at + 1))
            EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(line[at + 1]))) << line;
}

// Every part of an open sheet lies inside the window.
void expectInside(const PickerSheet& sheet, const Window& window) {
    for (auto& part : sheet.subviews()) {
        Rect f = part->frame();
        EXPECT_GE(f.y, 0) << part->identifier();
        EXPECT_LE(f.y + f.height, window.bounds().height) << part->identifier();
        EXPECT_GT(f.height, 0) << part->identifier();
    }
}

TEST_F(ComponentsTest, PickerSheetsFitTheWindowAtAnyHeightAndFollowItsSize) {
    window->setFrame({0, 0, 390, 640});
    auto sheet = DatePickerSheet::showPickerWithTitle(
        "起始日期", DatePickerMode::Date, day("2014-05-01"), screen, [](Date, View*) {}, screen->view());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->frame(), window->bounds());
    expectInside(*sheet, *window);
    // Shown at one height, then the window shrinks and grows: the wheel stays whole and at the
    // bottom.
    for (double height : {500.0, 844.0, 300.0}) {
        SCOPED_TRACE(height);
        window->setFrame({0, 0, 390, height});
        EXPECT_EQ(sheet->frame(), window->bounds());
        expectInside(*sheet, *window);
        double bottom = 0;
        for (auto& part : sheet->subviews())
            bottom = std::max(bottom, part->frame().y + part->frame().height);
        EXPECT_DOUBLE_EQ(bottom, height);
    }
    sheet->userPressCancel();
    auto kinds = StringPickerSheet::showPickerWithTitle("Select a Block", {"建议", "投诉", "咨询"}, 0, {}, {},
                                                        screen->view()->weak_from_this());
    expectInside(*kinds, *window);
    window->setFrame({0, 0, 390, 640});
    expectInside(*kinds, *window);
    kinds->userPressCancel();

    // At a larger text size the wheel grows with its rows, up to half the window.
    window->setFrame({0, 0, 390, 844});
    auto wheelHeight = [&](int percent) {
        TextSize::setPreference(percent);
        auto open = StringPickerSheet::showPickerWithTitle("字体大小", {"100%", "150%", "200%"}, 0, {}, {},
                                                           screen->view()->weak_from_this());
        expectInside(*open, *window);
        double h = open->subviews().back()->frame().height;  // the wheel, under the toolbar
        open->userPressCancel();
        return h;
    };
    const double normal = wheelHeight(100);
    EXPECT_DOUBLE_EQ(wheelHeight(150), 1.5 * normal);
    EXPECT_DOUBLE_EQ(wheelHeight(200), 844.0 / 2);
    TextSize::setPreference(std::nullopt);
}

TEST_F(ComponentsTest, ThePhotoStripsAddControlIsAPhotoSizedTileWithACamera) {
    auto strip = std::make_shared<PhotoStripView>(Rect{0, 0, 390, 80});
    screen->view()->addSubview(strip);
    auto* add = dynamic_cast<Button*>(strip->subviews().back().get());
    ASSERT_TRUE(add);
    EXPECT_EQ(add->identifier(), "addPhoto");
    EXPECT_EQ(add->currentTitle(), "添加照片");
    EXPECT_EQ(add->imageNameForState(add->state()), "IconCamera");
    EXPECT_DOUBLE_EQ(add->frame().width, PhotoStripView::kThumbSize);
    EXPECT_DOUBLE_EQ(add->frame().height, PhotoStripView::kThumbSize);
    EXPECT_TRUE(add->backgroundColor());
}

TEST_F(ComponentsTest, PullAndLoadMoreRunOncePerGestureUntilStopped) {
    auto list = std::make_shared<TableView>(Rect{0, 0, 320, 400});
    screen->view()->addSubview(list);
    int pulls = 0, mores = 0;
    auto& header = addPullToRefreshWithActionHandler(*list, [&] { ++pulls; });
    auto& footer = addInfiniteScrollingWithActionHandler(*list, [&] { ++mores; });
    EXPECT_EQ(pullToRefreshView(*list), &header);
    list->userPull(30);  // not far enough
    EXPECT_EQ(pulls, 0);
    list->userPull();
    list->userPull();  // still loading
    EXPECT_EQ(pulls, 1);
    EXPECT_TRUE(header.isAnimating());
    header.stopAnimating();
    EXPECT_DOUBLE_EQ(list->contentInset().top, 0);
    list->userPull();
    EXPECT_EQ(pulls, 2);
    header.setTitle("松开", RefreshState::Triggered);
    EXPECT_EQ(header.titleForState(RefreshState::Triggered), "松开");

    list->setContentOffset({0, 0});
    list->reloadData();
    EXPECT_EQ(mores, 0);  // a reload is not a finger reaching the end
    list->userScrollToEnd();
    list->userScrollToEnd();
    EXPECT_EQ(mores, 1);
    footer.stopAnimating();
    list->userScrollToEnd();
    EXPECT_EQ(mores, 2);
}

TEST_F(ComponentsTest, CheckBoxTogglesAndTellsBlockAndLiveTargetOnly) {
    auto box = std::make_shared<CheckBoxView>(Rect{0, 0, 120, 20}, CheckBoxStyle::Default, true);
    box->textLabel().setText("记住密码");
    int blocks = 0, targets = 0;
    box->setStateChangedBlock([&](CheckBoxView&) { ++blocks; });
    auto target = std::make_shared<int>(0);
    box->setStateChangedTarget(target, [&](CheckBoxView&) { ++targets; });
    box->userTap();
    EXPECT_FALSE(box->checked());
    target.reset();
    box->userTap();
    EXPECT_TRUE(box->checked());
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(targets, 1);
}

TEST_F(ComponentsTest, SideMenuIsFoundFromANestedScreenAndSwitchesContent) {
    auto home = std::make_shared<ViewController>();
    auto content = std::make_shared<NavigationController>(home);
    auto left = std::make_shared<ViewController>();
    auto right = std::make_shared<ViewController>();
    auto menu = std::make_shared<SideMenu>(content, left, right);
    window->setRootViewController(menu);
    auto pushed = std::make_shared<ViewController>();
    content->pushViewController(pushed, false);
    EXPECT_EQ(sideMenuViewController(*pushed), menu);
    EXPECT_EQ(sideMenuViewController(*std::make_shared<ViewController>()), nullptr);

    // The title-bar helper's menu button opens the left menu; content is covered meanwhile.
    screen::setNavTitleBar(*pushed, "首页");
    auto* bar = &content->navigationBar();
    ASSERT_TRUE(bar->leftButton());
    EXPECT_EQ(bar->leftButton()->identifier(), "presentLeftMenuViewController");
    EXPECT_EQ(bar->titleText(), "首页");
    bar->leftButton()->userTap();
    EXPECT_EQ(menu->menuState(), SideMenu::MenuState::Left);
    EXPECT_TRUE(left->isAppeared());
    EXPECT_FALSE(bar->rightButton()->isReachable());
    EXPECT_DOUBLE_EQ(menu->menuFraction().to, 1);

    auto next = std::make_shared<ViewController>();
    auto nextNav = std::make_shared<NavigationController>(next);
    std::weak_ptr<ViewController> oldContent = content;
    menu->setContentViewController(nextNav, true);
    menu->hideMenuViewController();
    content.reset();
    home.reset();
    pushed.reset();
    EXPECT_TRUE(oldContent.expired());  // the old stack is let go
    EXPECT_TRUE(next->isAppeared());
    EXPECT_FALSE(left->isAppeared());
    EXPECT_EQ(menu->menuState(), SideMenu::MenuState::Hidden);
}

// The menu's slide and shadow are drawn from the toolkit's presentation properties of its
// containers: the content (and its cover) slide aside to the menu's side, a menu comes in from its
// own, the cover is layered over the menus, and the content casts its shadow until it is back.
TEST_F(ComponentsTest, SideMenuSlidesItsContainersAndCastsTheContentShadowWhileOpen) {
    auto menu =
        std::make_shared<SideMenu>(std::make_shared<ViewController>(), std::make_shared<ViewController>(),
                                   std::make_shared<ViewController>());
    menu->contentViewShadowEnabled = true;
    menu->contentViewShadowOpacity = 0.6;
    menu->contentViewShadowRadius = 12;
    window->setRootViewController(menu);
    View& root = *menu->view();
    View* content = root.viewWithIdentifier("sideMenuContent");
    View* cover = root.viewWithIdentifier("hideMenuViewController");
    View* right = root.viewWithIdentifier("rightMenu");
    ASSERT_TRUE(content && cover && right && content->presentationOffset() && right->presentationOffset());
    auto drawnX = [](View* v) { return v->presentationOffset()->current().x; };
    EXPECT_EQ(drawnX(content), 0);
    EXPECT_GT(cover->zPosition(), right->zPosition());
    EXPECT_FALSE(content->shadow());

    menu->presentRightMenuViewController();
    RunLoop::main().advance(seconds(SideMenu::kAnimationSeconds / 2));
    EXPECT_NEAR(drawnX(content), -0.31 * 390, 1);
    EXPECT_NEAR(drawnX(right), 0.125 * 390, 1);
    RunLoop::main().advance(seconds(SideMenu::kAnimationSeconds));
    EXPECT_DOUBLE_EQ(drawnX(content), -0.62 * 390);
    EXPECT_DOUBLE_EQ(drawnX(cover), drawnX(content));
    EXPECT_DOUBLE_EQ(drawnX(right), 0);
    ASSERT_TRUE(content->shadow());
    EXPECT_DOUBLE_EQ(content->shadow()->opacity, 0.6);
    EXPECT_DOUBLE_EQ(content->frame().x, 0);  // only the drawing moves

    // A wider window: the open slide follows the new width.
    window->setFrame({0, 0, 500, 844});
    EXPECT_DOUBLE_EQ(drawnX(content), -0.62 * 500);

    // Sliding back keeps its side and the shadow until the content is home.
    menu->hideMenuViewController();
    RunLoop::main().advance(seconds(SideMenu::kAnimationSeconds / 2));
    EXPECT_LT(drawnX(content), -100);
    EXPECT_TRUE(content->shadow());
    RunLoop::main().advance(seconds(SideMenu::kAnimationSeconds / 2 + 0.01));
    EXPECT_EQ(drawnX(content), 0);
    EXPECT_FALSE(content->shadow());

    // Closed and reopened before the close finished: the shadow stays.
    menu->presentLeftMenuViewController();
    RunLoop::main().advance(seconds(SideMenu::kAnimationSeconds + 0.01));
    menu->hideMenuViewController();
    RunLoop::main().advance(seconds(0.1));
    menu->presentLeftMenuViewController();
    RunLoop::main().advance(seconds(SideMenu::kAnimationSeconds + 0.01));
    EXPECT_TRUE(content->shadow());
    EXPECT_GT(drawnX(content), 0);
}

// The other components ask the toolkit for their looks: a tick box, a busy spinner, a marquee,
// a sheet that rises.
TEST_F(ComponentsTest, ComponentsDescribeTheirLooksThroughTheToolkit) {
    auto box = std::make_shared<CheckBoxView>(Rect{0, 0, 120, 20}, CheckBoxStyle::Circle, false);
    ASSERT_TRUE(box->checkBoxLook());
    EXPECT_TRUE(box->checkBoxLook()->round);
    EXPECT_FALSE(box->checkBoxLook()->checked);
    box->userTap();
    EXPECT_TRUE(box->checkBoxLook()->checked);
    EXPECT_FALSE(box->textLabel().checkBoxLook());

    auto hud = ProgressHUD::showHUDAddedTo(*screen->view(), "加载中...", false);
    EXPECT_TRUE(hud->showsActivityIndicator());
    EXPECT_FALSE(screen->view()->showsActivityIndicator());

    auto marquee = std::make_shared<ScrollingLabel>(Rect{0, 0, 100, 20}, 50, 0);
    marquee->setFontSize(20);
    marquee->setText("short");
    EXPECT_FALSE(marquee->marqueeFrame());  // fits: it stands still
    marquee->setText("一条很长很长的公告文字");
    ASSERT_TRUE(marquee->marqueeFrame());  // starts moving
    RunLoop::main().advance(seconds(1));
    auto frame = marquee->marqueeFrame();
    ASSERT_TRUE(frame);
    EXPECT_DOUBLE_EQ(frame->offset, 50);
    EXPECT_DOUBLE_EQ(frame->textWidth, marquee->textContentWidth());
    EXPECT_EQ(frame->repeatGap, ScrollingLabel::kContinuousGap);
    marquee->setMarqueeType(MarqueeType::LeftRight);
    ASSERT_TRUE(marquee->marqueeFrame());
    EXPECT_FALSE(marquee->marqueeFrame()->repeatGap);

    auto sheet = StringPickerSheet::showPickerWithTitle("选择线路", {"1路", "2路"}, 0, {}, {},
                                                        screen->view()->weak_from_this());
    ASSERT_TRUE(sheet && !sheet->subviews().empty());
    for (auto& part : sheet->subviews()) {
        ASSERT_TRUE(part->presentationOffset());
        EXPECT_DOUBLE_EQ(part->presentationOffset()->current().y, 44 + 216);  // below the fold
    }
    RunLoop::main().advance(seconds(0.3));
    for (auto& part : sheet->subviews()) EXPECT_DOUBLE_EQ(part->presentationOffset()->current().y, 0);
    sheet->userPressCancel();
}

TEST_F(ComponentsTest, BackAndHomeHelpersCallTheScreensOwnMethods) {
    struct Screen : ViewController {
        int backs = 0;
        void goBack() override { ++backs; }
    };
    auto root = std::make_shared<ViewController>();
    auto nav = std::make_shared<NavigationController>(root);
    window->setRootViewController(nav);
    auto mid = std::make_shared<ViewController>();
    nav->pushViewController(mid, false);
    auto top = std::make_shared<Screen>();
    nav->pushViewController(top, false);
    screen::setNavTitleBarWithLeftBTAndTitle(*top, "修改密码");
    EXPECT_EQ(top->title(), "修改密码");
    nav->navigationBar().leftButton()->userTap();
    EXPECT_EQ(top->backs, 1);
    EXPECT_EQ(nav->topViewController(), top);
    nav->navigationBar().rightButton()->userTap();  // default goIndex: pop to the root
    EXPECT_EQ(nav->topViewController(), root);
}

class Album : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        form = std::make_shared<ViewController>();
        nav = std::make_shared<NavigationController>(form);
        window->setRootViewController(nav);
        strip = std::make_shared<PhotoStripView>(Rect{0, 0, 390, 80});
        form->view()->addSubview(strip);
        Image pixel{2, 2, std::vector<std::uint8_t>(16, 200)};
        std::vector<Asset> album;
        for (int i = 1; i <= 12; ++i)
            album.push_back({"photo" + std::to_string(i) + ".jpg", "", std::make_shared<const Image>(pixel)});
        AssetPickerController::setAlbumSource([album] { return album; });
    }
    void TearDown() override { AssetPickerController::setAlbumSource({}); }

    std::shared_ptr<AssetPickerController> openPicker() {
        strip->showAddSheet();
        auto sheets = ActionSheet::visibleSheets();
        EXPECT_EQ(sheets.size(), 1u);
        EXPECT_EQ(sheets.back()->buttonTitleAtIndex(0), "打开照相机");
        EXPECT_EQ(sheets.back()->buttonTitleAtIndex(1), "从手机相册获取");
        EXPECT_EQ(sheets.back()->buttonTitleAtIndex(2), "取消");
        sheets.back()->dismissWithClickedButtonIndex(1);
        auto presented = std::dynamic_pointer_cast<NavigationController>(window->topViewController());
        if (!presented) return nullptr;
        return std::dynamic_pointer_cast<AssetPickerController>(presented->rootViewController());
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<ViewController> form;
    std::shared_ptr<NavigationController> nav;
    std::shared_ptr<PhotoStripView> strip;
};

TEST_F(Album, ThreePhotosOverTwoLeaveExactlyTheThreeAndElevenAreRefused) {
    struct Delegate : PhotoStripViewDelegate {
        int picked = 0;
        void photoStripDidPickPhotos(PhotoStripView&) override { ++picked; }
    };
    auto d = std::make_shared<Delegate>();
    strip->setDelegate(d);
    strip->setPhotoMenuItems({{nullptr, "old1", ""}, {nullptr, "old2", ""}});
    auto picker = openPicker();
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->maximumNumberOfSelection, 10);
    EXPECT_TRUE(picker->toggleAsset(4));
    EXPECT_TRUE(picker->toggleAsset(0));
    EXPECT_TRUE(picker->toggleAsset(7));
    picker->finishPicking();
    ASSERT_EQ(strip->photoMenuItems().size(), 3u);
    EXPECT_EQ(strip->photoMenuItems()[0].name, "photo5.jpg");
    EXPECT_EQ(strip->photoMenuItems()[2].name, "photo8.jpg");
    EXPECT_EQ(d->picked, 1);
    EXPECT_EQ(window->topViewController(), nav);

    auto again = openPicker();
    ASSERT_TRUE(again);
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(again->toggleAsset(i));
    EXPECT_FALSE(again->toggleAsset(10));
    EXPECT_EQ(again->selection().size(), 10u);
    EXPECT_TRUE(again->toggleAsset(3));  // unticking makes room again
    EXPECT_TRUE(again->toggleAsset(10));
    again->cancelPicking();
    EXPECT_EQ(strip->photoMenuItems().size(), 3u);  // cancel changes nothing
    EXPECT_EQ(d->picked, 1);
    strip->removeItemAtIndex(1);
    ASSERT_EQ(strip->photoMenuItems().size(), 2u);
    EXPECT_EQ(strip->photoMenuItems()[1].name, "photo8.jpg");
}

TEST_F(Album, WithoutACameraNothingOpens) {
    PhotoStripView::setCamera({});
    strip->openCamera();
    EXPECT_EQ(window->topViewController(), nav);
    EXPECT_TRUE(strip->photoMenuItems().empty());
}

}  // namespace
}  // namespace busdesk
