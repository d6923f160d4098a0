#include <gtest/gtest.h>

#include <QTextDocument>

#include "QtTestSupport.h"
#include "platform/qt/WebPageBrowser.h"
#include "platform/views/Button.h"
#include "platform/views/Palette.h"
#include "platform/views/TableView.h"
#include "platform/views/WebView.h"
#include "ui/InfoAlert.h"
#include "ui/PullToRefresh.h"
#include "ui/SideMenu.h"
#include "ui/StringPickerSheet.h"

namespace busdesk::qt {
namespace {

class ComponentPresentationTest : public ::testing::Test, public testing::QtFixture {
  protected:
    void SetUp() override { presenter->surface()->show(); }
};

class ManyRows : public TableViewDataSource {
  public:
    explicit ManyRows(int n) : n_(n) {}
    int numberOfRows(TableView&, int) override { return n_; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& t, IndexPath ip) override {
        auto cell = t.dequeueReusableCell("row");
        if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Subtitle, "row");
        cell->textLabel().setText("第 " + std::to_string(ip.row) + " 班");
        cell->detailTextLabel().setText("车号 " + std::to_string(10000 + ip.row));
        return cell;
    }

  private:
    int n_;
};

TEST_F(ComponentPresentationTest, AHundredThousandRowsGetWidgetsOnlyForTheVisibleOnes) {
    auto rows = std::make_shared<ManyRows>(100000);
    auto table = std::make_shared<TableView>(Rect{0, 64, 390, 780});
    table->setDataSource(rows);
    root().addSubview(table);
    table->reloadData();
    presenter->sync();
    const std::size_t visibleRows = 780 / 44 + 2;
    EXPECT_LE(presenter->shownWidgetCount(ViewWidget::Kind::Cell), visibleRows);
    EXPECT_GE(presenter->shownWidgetCount(ViewWidget::Kind::Cell), visibleRows - 2);

    // Scrolling through a good stretch reuses cells and widgets; the count stays put.
    for (int step = 0; step < 200; ++step) {
        table->setContentOffset({0, table->contentOffset().y + 97});
        presenter->sync();
        ASSERT_LE(presenter->shownWidgetCount(ViewWidget::Kind::Cell), visibleRows);
    }
    EXPECT_LE(table->cellsCreated(), visibleRows + 2);
    EXPECT_LE(presenter->shownWidgetCount(), 4 * visibleRows + 20);

    // The cell drawn at the top of the list is the row at the offset, with its text.
    table->scrollToRow({0, 50000});
    presenter->sync();
    auto top = table->cellForRow({0, 50000});
    ASSERT_TRUE(top);
    ViewWidget* w = presenter->widgetFor(*top);
    ASSERT_TRUE(w && !w->isHidden());
    QPoint atTop = w->mapTo(presenter->surface(), QPoint(0, 0));
    EXPECT_GE(atTop.y(), 64);
    EXPECT_LT(atTop.y(), 64 + 780);
    EXPECT_EQ(top->textLabel().text(), "第 50000 班");
}

TEST_F(ComponentPresentationTest, PullingPastTheTopShowsTheHeaderAndScrollingToTheEndLoadsMore) {
    auto rows = std::make_shared<ManyRows>(30);
    auto table = std::make_shared<TableView>(Rect{0, 64, 390, 780});
    table->setDataSource(rows);
    root().addSubview(table);
    table->reloadData();
    int refreshes = 0, loads = 0;
    auto& header = addPullToRefreshWithActionHandler(*table, [&] { ++refreshes; });
    auto& footer = addInfiniteScrollingWithActionHandler(*table, [&] { ++loads; });
    presenter->sync();
    ViewWidget* headerWidget = presenter->widgetFor(header);
    ASSERT_NE(headerWidget, nullptr);
    EXPECT_LE(headerWidget->geometry().bottom(), 0);  // above the list, out of sight

    // A finger dragging the list down 120 points uncovers the header, letting go refreshes.
    presenter->press(QPointF(200, 200));
    presenter->move(QPointF(200, 210));
    presenter->move(QPointF(200, 320));
    EXPECT_GT(headerWidget->geometry().bottom(), 40);
    presenter->release(QPointF(200, 320));
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(header.isAnimating());
    header.stopAnimating();

    // Wheeling down to the end of the list asks for more.
    for (int i = 0; i < 40 && loads == 0; ++i) presenter->wheel(QPointF(200, 400), -240);
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(footer.isAnimating());
}

TEST_F(ComponentPresentationTest, TheSideMenuSlidesTheContentAsideAndBack) {
    auto content = std::make_shared<ViewController>();
    auto left = std::make_shared<ViewController>();
    auto menu = std::make_shared<SideMenu>(content, left, nullptr);
    menu->backgroundImageName = "MenuBackground";
    menu->contentViewShadowEnabled = true;
    menu->contentViewShadowOpacity = 0.6;
    menu->contentViewShadowRadius = 8;
    window->setRootViewController(menu);
    presenter->sync();
    View* contentBox = menu->view()->viewWithIdentifier("sideMenuContent");
    View* leftBox = menu->view()->viewWithIdentifier("leftMenu");
    ASSERT_TRUE(contentBox && leftBox);
    auto x = [&](View* v) { return presenter->widgetFor(*v)->geometry().x(); };
    EXPECT_EQ(x(contentBox), 0);

    menu->presentLeftMenuViewController();
    presenter->sync();
    EXPECT_TRUE(presenter->isAnimating());
    advance(SideMenu::kAnimationSeconds / 2);
    int halfway = x(contentBox);
    EXPECT_GT(halfway, 60);
    EXPECT_LT(halfway, 180);
    advance(SideMenu::kAnimationSeconds);
    EXPECT_FALSE(presenter->isAnimating());
    EXPECT_EQ(x(contentBox), 242);  // 0.62 of 390
    EXPECT_EQ(x(leftBox), 0);
    EXPECT_FALSE(presenter->widgetFor(*leftBox)->isHidden());
    // The background carries the content's shadow while the menu is open.
    View* background = menu->view()->subviews().front().get();
    EXPECT_TRUE(presenter->widgetFor(*background)->shadowRect.has_value());

    // A tap on the slid-aside content closes the menu.
    EXPECT_TRUE(presenter->tapAt(QPointF(330, 400)));
    EXPECT_EQ(menu->menuState(), SideMenu::MenuState::Hidden);
    advance(SideMenu::kAnimationSeconds + 0.01);
    EXPECT_EQ(x(contentBox), 0);
    EXPECT_TRUE(presenter->widgetFor(*leftBox)->isHidden());
    EXPECT_FALSE(presenter->widgetFor(*background)->shadowRect.has_value());
}

TEST_F(ComponentPresentationTest, AToastFadesInStaysAndFadesOutOverTheWindow) {
    auto toast = InfoAlert::showInfo("暂无数据", Color::darkGray(), root(), 0.5);
    ASSERT_TRUE(toast);
    presenter->sync();
    EXPECT_EQ(presenter->widgetFor(*toast), nullptr);  // fully transparent: nothing to draw yet
    advance(0.15);
    ViewWidget* w = presenter->widgetFor(*toast);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isHidden());
    ASSERT_NE(w->graphicsEffect(), nullptr);  // half faded in
    advance(0.5);
    EXPECT_EQ(w->graphicsEffect(), nullptr);  // opaque
    // It is drawn where the model put it, in the overlay above the screen.
    QImage image = shot();
    QRect box = w->geometry().translated(w->parentWidget()->mapTo(presenter->surface(), QPoint(0, 0)));
    EXPECT_GT(testing::inkIn(image, box.adjusted(2, 2, -2, -2)), box.width() * box.height() / 2);
    advance(0.6);  // 1.25 s: fading out
    EXPECT_NE(w->graphicsEffect(), nullptr);
    advance(0.5);
    EXPECT_TRUE(presenter->widgetFor(*toast) == nullptr || presenter->widgetFor(*toast)->isHidden());
    advance(1.5);  // removed from the window
    EXPECT_EQ(toast->superview(), nullptr);
}

TEST_F(ComponentPresentationTest, ADisabledButtonIsDrawnGreyEvenWithATitleColourOfItsOwn) {
    auto make = [&](double y, bool enabled) {
        auto b = std::make_shared<Button>(Rect{20, y, 160, 40}, "重新发送");
        b->setTitleColor(Color::of(ColorRole::Accent));
        b->setEnabled(enabled);
        root().addSubview(b);
        return b;
    };
    auto on = make(100, true);
    auto off = make(160, false);
    auto given = make(220, false);
    given->setTitleColor(Color::of(ColorRole::Warning), ControlState::Disabled);
    QImage image = shot();
    // Pixels clearly more blue than red (the accent's ink), or the other way round (the warning's).
    auto ink = [&](const Button& b, bool blue) {
        QRect r = presenter->widgetFor(b)->geometry().translated(
            presenter->widgetFor(b)->parentWidget()->mapTo(presenter->surface(), QPoint(0, 0)));
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                QColor c = image.pixelColor(x, y);
                n += (blue ? c.blue() - c.red() : c.red() - c.blue()) > 80;
            }
        return n;
    };
    EXPECT_GT(ink(*on, true), 20);
    EXPECT_EQ(ink(*off, true), 0);
    EXPECT_GT(ink(*given, false), 20);  // its own colour for the disabled state
    QRect r = presenter->widgetFor(*off)->geometry().translated(
        presenter->widgetFor(*off)->parentWidget()->mapTo(presenter->surface(), QPoint(0, 0)));
    EXPECT_GT(testing::inkIn(image, r, Qt::white), 0);  // still drawn, in grey
}

TEST_F(ComponentPresentationTest, APickerSheetRisesFromTheBottom) {
    auto sheet = StringPickerSheet::showPickerWithTitle("选择线路", {"1路", "2路", "3路"}, 0, {}, {},
                                                        root().weak_from_this());
    ASSERT_TRUE(sheet);
    presenter->sync();
    View* toolbarView = sheet->subviews().front().get();
    ViewWidget* toolbar = presenter->widgetFor(*toolbarView);
    ASSERT_NE(toolbar, nullptr);
    int finalTop = static_cast<int>(toolbarView->frame().y);
    EXPECT_GE(toolbar->y(), 800);  // starts below the fold
    advance(0.125);
    EXPECT_GT(toolbar->y(), finalTop);
    EXPECT_LT(toolbar->y(), 844);
    advance(0.2);
    EXPECT_EQ(toolbar->y(), finalTop);
    sheet->userPressCancel();
}

TEST_F(ComponentPresentationTest, PagePicturesLoadThroughTheToolkitLoaderAgainstTheBase) {
    std::vector<std::string> asked;
    std::function<void(std::optional<std::string>)> pending;
    WebView::setLoader([&](const std::string& url, std::function<void(std::optional<std::string>)> done) {
        asked.push_back(url);
        pending = std::move(done);
    });
    auto page = std::make_shared<WebView>(Rect{0, 64, 390, 700});
    page->loadHTMLString("<p>通知</p><img src=\"pics/bus.png\" width=\"40\" height=\"20\">",
                         "http://127.0.0.1:8088/news/");
    root().addSubview(page);
    presenter->sync();
    WebPageBrowser* browser = presenter->widgetFor(*page)->browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->toPlainText().contains(QString::fromUtf8("通知")));
    browser->document()->size();  // lay out, which asks for the picture
    ASSERT_EQ(asked, (std::vector<std::string>{"http://127.0.0.1:8088/news/pics/bus.png"}));
    ASSERT_TRUE(pending);
    Image red{2, 2, std::vector<std::uint8_t>(16, 0)};
    for (int i = 0; i < 4; ++i) red.rgba[i * 4] = 255, red.rgba[i * 4 + 3] = 255;
    pending(red.pngData());
    EXPECT_EQ(browser->arrived(), 1);
    QVariant stored = browser->document()->resource(QTextDocument::ImageResource, QUrl("pics/bus.png"));
    EXPECT_EQ(stored.value<QImage>().size(), QSize(2, 2));
    // Bytes that are no picture are dropped, not shown broken.
    page->loadHTMLString("<img src=\"x.png\">", "http://127.0.0.1:8088/");
    presenter->sync();
    browser->document()->size();
    ASSERT_EQ(asked.size(), 2u) << asked.back() << " " << asked[1];
    pending(std::string("not a picture"));
    EXPECT_EQ(browser->arrived(), 1);
    WebView::setLoader({});
}

}  // namespace
}  // namespace busdesk::qt
