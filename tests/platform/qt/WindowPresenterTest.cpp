#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "QtTestSupport.h"
#include "platform/DateFormat.h"
#include "platform/DateLocale.h"
#include "platform/qt/WindowPresenter.h"
#include "platform/views/Button.h"
#include "platform/views/DatePicker.h"
#include "platform/views/Label.h"
#include "platform/views/PickerView.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextField.h"
#include "ui/ProgressHUD.h"

namespace busdesk::qt {
namespace {

class WindowPresenterTest : public ::testing::Test, public testing::QtFixture {
  protected:
    void SetUp() override { presenter->surface()->show(); }
};

TEST_F(WindowPresenterTest, MirrorsFramesParentsStackingAndScrollOffsets) {
    auto box = std::make_shared<View>(Rect{20, 100, 200, 300});
    auto label = std::make_shared<Label>(Rect{10, 20, 150, 30}, "线路");
    auto cover = std::make_shared<View>(Rect{0, 0, 50, 50});
    box->addSubview(label);
    box->addSubview(cover);
    root().addSubview(box);
    presenter->sync();

    ViewWidget* boxWidget = presenter->widgetFor(*box);
    ViewWidget* labelWidget = presenter->widgetFor(*label);
    ASSERT_TRUE(boxWidget && labelWidget);
    EXPECT_EQ(labelWidget->parentWidget(), boxWidget);
    EXPECT_EQ(labelWidget->geometry(), QRect(10, 20, 150, 30));
    EXPECT_EQ(labelWidget->kind(), ViewWidget::Kind::Label);
    EXPECT_EQ(labelWidget->mapTo(presenter->surface(), QPoint(0, 0)), QPoint(30, 120));

    // Stacking follows subview order: the label brought to the front is raised above the cover.
    auto stackIndex = [&](QWidget* w) { return boxWidget->children().indexOf(w); };
    EXPECT_LT(stackIndex(labelWidget), stackIndex(presenter->widgetFor(*cover)));
    box->bringSubviewToFront(*label);
    presenter->sync();
    EXPECT_GT(stackIndex(labelWidget), stackIndex(presenter->widgetFor(*cover)));

    // Children of a scroll view move with its content offset.
    auto scroll = std::make_shared<ScrollView>(Rect{0, 0, 390, 400});
    scroll->setContentSize({390, 2000});
    auto row = std::make_shared<View>(Rect{0, 600, 390, 44});
    scroll->addSubview(row);
    root().addSubview(scroll);
    scroll->setContentOffset({0, 550});
    presenter->sync();
    EXPECT_EQ(presenter->widgetFor(*row)->geometry(), QRect(0, 50, 390, 44));
}

TEST_F(WindowPresenterTest, HiddenRemovedAndDestroyedViewsLeaveTheScreen) {
    auto label = std::make_shared<Label>(Rect{0, 0, 100, 20}, "a");
    root().addSubview(label);
    presenter->sync();
    ASSERT_NE(presenter->widgetFor(*label), nullptr);
    EXPECT_FALSE(presenter->widgetFor(*label)->isHidden());

    label->setHidden(true);
    presenter->sync();
    EXPECT_TRUE(presenter->widgetFor(*label)->isHidden());
    label->setHidden(false);
    label->removeFromSuperview();
    presenter->sync();
    EXPECT_TRUE(presenter->widgetFor(*label)->isHidden());

    // A view added to another parent takes its widget along.
    auto other = std::make_shared<View>(Rect{0, 300, 390, 100});
    root().addSubview(other);
    other->addSubview(label);
    presenter->sync();
    EXPECT_EQ(presenter->widgetFor(*label)->parentWidget(), presenter->widgetFor(*other));
    EXPECT_FALSE(presenter->widgetFor(*label)->isHidden());

    std::size_t before = presenter->shownWidgetCount(ViewWidget::Kind::Label);
    label->removeFromSuperview();
    label.reset();  // destroyed: its widget is let go, not left dangling
    presenter->sync();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(presenter->shownWidgetCount(ViewWidget::Kind::Label), before - 1);
}

TEST_F(WindowPresenterTest, ChineseTextIsDrawnWithRealGlyphs) {
    auto label = std::make_shared<Label>(Rect{20, 200, 300, 40}, "公交公司办公系统");
    label->setFontSize(24);
    root().addSubview(label);
    QImage image = shot();
    // Eight CJK glyphs at 24 px leave a good deal of ink; boxes or nothing would not.
    int ink = testing::inkIn(image, QRect(20, 200, 300, 40));
    EXPECT_GT(ink, 300);
    // The first glyph's cell is not one outlined rectangle: ink also inside it.
    EXPECT_GT(testing::inkIn(image, QRect(24, 208, 16, 24)), 20);
    // Nothing outside the label.
    EXPECT_EQ(testing::inkIn(image, QRect(20, 300, 300, 40)), 0);
}

TEST_F(WindowPresenterTest, ATapReachesTheButtonUnderTheFingerOnlyWhenEnabled) {
    int pressed = 0;
    auto button = std::make_shared<Button>(Rect{100, 400, 120, 44}, "登录");
    button->setIdentifier("loginAction");
    button->addAction([&](View&) { ++pressed; });
    root().addSubview(button);
    presenter->sync();

    // Through real mouse events on the surface.
    QWidget* surface = presenter->surface();
    QPointF at(150, 420);
    QMouseEvent down(QEvent::MouseButtonPress, at, surface->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(surface, &down);
    EXPECT_TRUE(button->highlighted());
    QMouseEvent up(QEvent::MouseButtonRelease, at, surface->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(surface, &up);
    EXPECT_EQ(pressed, 1);
    EXPECT_FALSE(button->highlighted());

    EXPECT_FALSE(presenter->tapAt(QPointF(90, 420)));  // beside it
    EXPECT_EQ(pressed, 1);
    button->setEnabled(false);
    EXPECT_FALSE(presenter->tapAt(at));
    EXPECT_EQ(pressed, 1);
}

TEST_F(WindowPresenterTest, UnderACoverNothingIsDrawnOrTappableAndAllComesBackAfter) {
    int pressed = 0;
    auto button = std::make_shared<Button>(Rect{100, 400, 120, 44}, "查询");
    button->addAction([&](View&) { ++pressed; });
    auto secret = std::make_shared<Label>(Rect{20, 100, 300, 30}, "实发工资：8650.00");
    root().addSubview(button);
    root().addSubview(secret);
    presenter->sync();
    ASSERT_TRUE(presenter->widgetFor(*secret) && presenter->widgetFor(*secret)->isVisible());

    // A cover that is transparent where it has nothing: what lies under it must still not show.
    auto cover = std::make_shared<ViewController>();
    auto unlock = std::make_shared<Button>(Rect{100, 600, 120, 44}, "解锁");
    cover->view()->addSubview(unlock);
    window->setCoverViewController(cover);
    presenter->sync();
    for (View* under : {static_cast<View*>(button.get()), static_cast<View*>(secret.get())}) {
        auto* w = presenter->widgetFor(*under);
        EXPECT_TRUE(!w || !w->isVisible());
    }
    EXPECT_TRUE(presenter->widgetFor(*unlock) && presenter->widgetFor(*unlock)->isVisible());
    EXPECT_EQ(testing::inkIn(shot(), QRect(20, 100, 300, 30)), 0);
    EXPECT_FALSE(presenter->tapAt(QPointF(150, 420)));
    EXPECT_EQ(pressed, 0);

    window->setCoverViewController(nullptr);
    presenter->sync();
    EXPECT_TRUE(presenter->widgetFor(*secret)->isVisible());
    EXPECT_GT(testing::inkIn(shot(), QRect(20, 100, 300, 30)), 0);
    EXPECT_TRUE(presenter->tapAt(QPointF(150, 420)));
    EXPECT_EQ(pressed, 1);
}

TEST_F(WindowPresenterTest, TheBusyOverlayTakesTouchesUntilItHasFadedAway) {
    int pressed = 0;
    auto button = std::make_shared<Button>(Rect{100, 400, 120, 44}, "查询");
    button->addAction([&](View&) { ++pressed; });
    root().addSubview(button);
    ProgressHUD::showHUDAddedTo(root(), "加载中...", true);
    advance(0.3);
    EXPECT_EQ(presenter->shownWidgetCount(ViewWidget::Kind::Busy), 1u);
    EXPECT_FALSE(presenter->tapAt(QPointF(150, 420)));
    EXPECT_EQ(pressed, 0);

    ASSERT_TRUE(ProgressHUD::hideHUDForView(root(), true));
    advance(0.35);
    EXPECT_EQ(presenter->shownWidgetCount(ViewWidget::Kind::Busy), 0u);
    EXPECT_TRUE(presenter->tapAt(QPointF(150, 420)));
    EXPECT_EQ(pressed, 1);
}

TEST_F(WindowPresenterTest, TypingIntoTheFocusedFieldReachesTheModel) {
    auto field = std::make_shared<TextField>(Rect{20, 200, 300, 40});
    field->setIdentifier("username");
    field->setPlaceholder("请输入工号");
    root().addSubview(field);
    presenter->sync();
    ASSERT_TRUE(presenter->tapAt(QPointF(100, 220)));
    EXPECT_TRUE(field->isFirstResponder());
    presenter->sync();
    QLineEdit* edit = presenter->widgetFor(*field)->lineEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->placeholderText(), QString::fromUtf8("请输入工号"));
    for (const char* key : {"1", "0", "0", "8", "6"}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (key[0] - '0'), Qt::NoModifier, key);
        QApplication::sendEvent(edit, &press);
    }
    EXPECT_EQ(field->text(), "10086");

    // Programmatic text goes the other way; a secure field hides it.
    field->setText("123456");
    field->setSecureTextEntry(true);
    presenter->sync();
    EXPECT_EQ(edit->text(), "123456");
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
}

TEST_F(WindowPresenterTest, DraggingAndTheWheelScrollTheListUnderTheFinger) {
    auto scroll = std::make_shared<ScrollView>(Rect{0, 100, 390, 400});
    scroll->setContentSize({390, 3000});
    root().addSubview(scroll);
    presenter->sync();
    presenter->press(QPointF(200, 400));
    presenter->move(QPointF(200, 390));
    presenter->move(QPointF(200, 250));
    EXPECT_TRUE(scroll->isDragging());
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 150);
    presenter->release(QPointF(200, 250));
    EXPECT_FALSE(scroll->isDragging());

    presenter->wheel(QPointF(200, 300), -120);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 270);
    // The wheel never pulls past the ends.
    presenter->wheel(QPointF(200, 300), 100000);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(WindowPresenterTest, TappingAboveOrBelowTheWheelBandTurnsItThatManyRows) {
    auto picker = std::make_shared<PickerView>(Rect{0, 500, 390, 216});
    picker->setColumns({{"一路", "二路", "三路", "四路", "五路"}});
    picker->selectRow(1, 0);
    std::vector<int> chosen;
    picker->setSelectHandler([&](PickerView&, int row, int) { chosen.push_back(row); });
    root().addSubview(picker);
    presenter->sync();
    double mid = 500 + 108;
    presenter->press(QPointF(195, mid + 72));
    presenter->release(QPointF(195, mid + 72));
    EXPECT_EQ(picker->selectedRow(0), 3);
    presenter->press(QPointF(195, mid - 106));
    presenter->release(QPointF(195, mid - 106));
    EXPECT_EQ(picker->selectedRow(0), 0);
    presenter->press(QPointF(195, mid - 106));
    presenter->release(QPointF(195, mid - 106));
    EXPECT_EQ(picker->selectedRow(0), 0);  // clamped at the first row
    // The band itself does not turn the wheel.
    presenter->press(QPointF(195, mid + 10));
    presenter->release(QPointF(195, mid + 10));
    EXPECT_EQ(chosen, (std::vector<int>{3, 0, 0}));
}

TEST_F(WindowPresenterTest, TheDateWheelMovesTheColumnUnderTheFingerAndKeepsTheDayValid) {
    setDeviceTimeZone("Asia/Shanghai");
    auto picker = std::make_shared<DatePicker>(Rect{0, 500, 390, 216}, DatePickerMode::Date);
    picker->setDate(*parseDate("2024-01-31 08:30", "yyyy-MM-dd HH:mm"));
    int changes = 0;
    picker->setChangeHandler([&](DatePicker&) { ++changes; });
    root().addSubview(picker);
    presenter->sync();
    double below = 500 + 108 + 36, above = 500 + 108 - 36;
    auto tap = [&](double x, double y) {
        presenter->press(QPointF(x, y));
        presenter->release(QPointF(x, y));
        return formatDate(picker->date(), "yyyy-MM-dd HH:mm");
    };
    EXPECT_EQ(tap(195, below), "2024-02-29 08:30");  // month column: 31 January has no 31 February
    EXPECT_EQ(tap(330, below), "2024-02-29 08:30");  // the day wheel ends with its month
    EXPECT_EQ(tap(330, above), "2024-02-28 08:30");
    EXPECT_EQ(tap(60, below), "2025-02-28 08:30");  // year column
    EXPECT_EQ(tap(60, above), "2024-02-28 08:30");
    EXPECT_EQ(changes, 5);
}

// The presentation-only properties of the toolkit: a displacement that follows its progress, a
// higher z drawn (and hit) above later siblings, a shadow falling on the sibling right under its
// view. The model keeps its frames and its subview order.
TEST_F(WindowPresenterTest, DrawsOffsetsLayersAndShadowsWithoutMovingTheModel) {
    auto base = std::make_shared<View>(Rect{0, 100, 390, 400});
    auto card = std::make_shared<View>(Rect{0, 100, 390, 400});
    card->setBackgroundColor(Color::whiteColor());
    auto lid = std::make_shared<View>(Rect{0, 100, 390, 400});
    int lidTaps = 0, cardTaps = 0;
    lid->addTapHandler([&](View&) { ++lidTaps; });
    auto top = std::make_shared<View>(Rect{0, 100, 390, 400});
    top->addTapHandler([&](View&) { ++cardTaps; });
    root().addSubview(base);
    root().addSubview(card);
    root().addSubview(lid);
    root().addSubview(top);

    PresentationOffset slide{AnimatedValue::begin(0, 1, seconds(1)), {0, 0}, {200, 0}};
    card->setPresentationOffset(slide);
    lid->setPresentationOffset(slide);
    card->setShadow(Shadow{Color::black(), 0.5, 6, {0, 2}});
    lid->setZPosition(1);
    presenter->sync();
    EXPECT_TRUE(presenter->isAnimating());
    EXPECT_EQ(presenter->widgetFor(*card)->geometry().x(), 0);
    advance(0.5);
    EXPECT_EQ(presenter->widgetFor(*card)->geometry().x(), 100);
    advance(0.6);
    EXPECT_FALSE(presenter->isAnimating());
    ViewWidget* cardWidget = presenter->widgetFor(*card);
    EXPECT_EQ(cardWidget->geometry(), QRect(200, 100, 390, 400));
    EXPECT_EQ(card->frame().x, 0);

    // The lid is drawn over the later sibling and takes the tap there first.
    auto& stack = presenter->widgetFor(root())->children();
    EXPECT_GT(stack.indexOf(presenter->widgetFor(*lid)), stack.indexOf(presenter->widgetFor(*top)));
    EXPECT_EQ(root().subviews().back(), top);
    EXPECT_TRUE(presenter->tapAt(QPointF(300, 300)));
    EXPECT_EQ(lidTaps, 1);
    EXPECT_EQ(cardTaps, 0);

    // The card's shadow lies on the base, around where the card is drawn; only there.
    ViewWidget* baseWidget = presenter->widgetFor(*base);
    ASSERT_TRUE(baseWidget->shadowRect.has_value());
    EXPECT_EQ(*baseWidget->shadowRect, QRectF(cardWidget->geometry()));
    EXPECT_DOUBLE_EQ(baseWidget->shadowOpacity, 0.5);
    EXPECT_FALSE(cardWidget->shadowRect.has_value());
    QImage image = shot();
    EXPECT_LT(image.pixelColor(195, 300).lightness(), 250);  // just left of the card
    card->setShadow(std::nullopt);
    presenter->sync();
    EXPECT_FALSE(baseWidget->shadowRect.has_value());
}

// A check-box look and an activity indicator are drawn for any view that asks for them.
TEST_F(WindowPresenterTest, DrawsTheCheckBoxLookAndTheActivityIndicatorOfPlainViews) {
    class Tick : public View {
      public:
        using View::View;
        bool on = false;
        std::optional<CheckBoxLook> checkBoxLook() const override { return CheckBoxLook{true, on}; }
    };
    auto tick = std::make_shared<Tick>(Rect{20, 100, 30, 30});
    auto busy = std::make_shared<View>(Rect{0, 200, 390, 300});
    busy->setShowsActivityIndicator(true);
    root().addSubview(tick);
    root().addSubview(busy);
    presenter->sync();
    EXPECT_EQ(presenter->widgetFor(*tick)->kind(), ViewWidget::Kind::CheckBox);
    EXPECT_EQ(presenter->widgetFor(*busy)->kind(), ViewWidget::Kind::Busy);
    QRect box(24, 108, 14, 14);
    int emptyInk = testing::inkIn(shot(), box);
    tick->on = true;
    tick->setNeedsDisplay();
    EXPECT_GT(testing::inkIn(shot(), box), emptyInk + 50);
    EXPECT_GT(testing::inkIn(shot(), QRect(150, 310, 90, 80)), 2000);  // the dark box at the centre
}

}  // namespace
}  // namespace busdesk::qt
