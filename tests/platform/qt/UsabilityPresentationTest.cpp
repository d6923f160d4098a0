// What a person meets in the window: the cover beside an open menu, list rows that are reused,
// pictures in a page, icons, and text sizes and colours that can be read.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>

#include "QtTestSupport.h"
#include "platform/qt/WebPageBrowser.h"
#include "platform/views/IconGlyphs.h"
#include "platform/views/ImageView.h"
#include "platform/views/TableView.h"
#include "platform/views/TextSize.h"
#include "platform/views/WebView.h"
#include "ui/SideMenu.h"

namespace busdesk::qt {
namespace {

class UsabilityPresentationTest : public ::testing::Test, public testing::QtFixture {
  protected:
    void SetUp() override { presenter->surface()->show(); }
};

// A menu of full-width rows, as the feature menu is laid out.
class MenuRows : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    void viewDidLoad() override {
        table = std::make_shared<TableView>(view()->bounds());
        table->setRowHeight(44);
        table->setDataSource(self<MenuRows>());
        table->setDelegate(self<MenuRows>());
        view()->addSubview(table);
    }
    int numberOfRows(TableView&, int) override { return 16; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        auto cell = tv.dequeueReusableCell("menu");
        if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Default, "menu");
        cell->textLabel().setText("第" + std::to_string(ip.row) + "项");
        return cell;
    }
    void didSelectRow(TableView&, IndexPath) override { ++selected; }
    std::shared_ptr<TableView> table;
    int selected = 0;
};

TEST_F(UsabilityPresentationTest, TappingTheDimmedContentBesideAnOpenMenuClosesIt) {
    auto left = std::make_shared<MenuRows>();
    auto side = std::make_shared<SideMenu>(std::make_shared<ViewController>(), left, nullptr);
    window->setRootViewController(side);
    side->presentLeftMenuViewController();
    advance(1);
    ASSERT_EQ(side->menuState(), SideMenu::MenuState::Left);
    // Right of the slid-aside content's edge, at the height of a menu row reaching under it.
    QPointF onContent(370, 200);
    ASSERT_TRUE(presenter->tapAt(onContent));
    EXPECT_EQ(side->menuState(), SideMenu::MenuState::Hidden);
    EXPECT_EQ(left->selected, 0);
    // The rows beside the content still take their taps.
    side->presentLeftMenuViewController();
    advance(1);
    ASSERT_TRUE(presenter->tapAt(QPointF(60, 200)));
    EXPECT_EQ(left->selected, 1);
}

// Rows with an unread mark, reused as the list scrolls and reloads.
class MarkedRows : public TableViewDataSource {
  public:
    int numberOfRows(TableView&, int) override { return static_cast<int>(unread.size()); }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        auto cell = tv.dequeueReusableCell("marked");
        if (!cell) {
            cell = std::make_shared<TableViewCell>(CellStyle::Default, "marked");
            auto mark = std::make_shared<ImageView>(Rect{330, 10, 40, 18});
            mark->setImageName("new");
            mark->setTag(7);
            cell->contentView().addSubview(mark);
        }
        cell->textLabel().setText("公告 " + std::to_string(ip.row));
        markOf(*cell)->setHidden(!unread[static_cast<std::size_t>(ip.row)]);
        return cell;
    }
    static View* markOf(TableViewCell& cell) {
        for (auto& v : cell.contentView().subviews())
            if (v->tag() == 7) return v.get();
        return nullptr;
    }
    std::vector<bool> unread = std::vector<bool>(40, true);
};

TEST_F(UsabilityPresentationTest, AReusedRowShowsItsUnreadMarkExactlyWhenTheModelDoes) {
    MarkedRows rows;
    auto keep = std::shared_ptr<MarkedRows>(&rows, [](MarkedRows*) {});
    auto table = std::make_shared<TableView>(Rect{0, 64, 390, 600});
    table->setRowHeight(60);
    table->setDataSource(keep);
    root().addSubview(table);
    auto check = [&](const char* when) {
        presenter->sync();
        int checked = 0;
        for (auto& v : table->subviews()) {
            auto* cell = dynamic_cast<TableViewCell*>(v.get());
            if (!cell || cell->hidden()) continue;
            View* mark = MarkedRows::markOf(*cell);
            ViewWidget* w = presenter->widgetFor(*mark);
            bool shown = w && w->isVisibleTo(presenter->surface());
            EXPECT_EQ(shown, !mark->hidden()) << when << ": " << cell->textLabel().text();
            ++checked;
        }
        EXPECT_GT(checked, 5) << when;
    };
    check("first load");
    // Read, then refreshed: the same cells come back with the mark gone.
    rows.unread[0] = rows.unread[2] = false;
    table->reloadData();
    check("after the refresh");
    // Scrolled: cells that showed a mark are reused for rows without, and back.
    for (std::size_t i = 10; i < 40; i += 2) rows.unread[i] = false;
    table->setContentOffset({0, 900});
    check("scrolled down");
    rows.unread[0] = true;
    rows.unread[1] = false;
    table->setContentOffset({0, 0});
    check("scrolled back");
    table->reloadData();
    check("reloaded at the top");
}

TEST_F(UsabilityPresentationTest, APictureAsWideAsThePageFitsItAndTheSignOffFollowsBelow) {
    std::function<void(std::optional<std::string>)> pending;
    WebView::setLoader([&](const std::string&, std::function<void(std::optional<std::string>)> done) {
        pending = std::move(done);
    });
    auto page = std::make_shared<WebView>(Rect{0, 64, 390, 700});
    page->loadHTMLString(
        "<p>正文</p><p><img src=\"bus.png\" width=\"100%\"/></p>"
        "<p style=\"text-align:right\">公司办公室</p>",
        "http://127.0.0.1:8088/");
    root().addSubview(page);
    presenter->sync();
    WebPageBrowser* browser = presenter->widgetFor(*page)->browser();
    ASSERT_NE(browser, nullptr);
    browser->document()->size();
    ASSERT_TRUE(pending);
    Image wide{600, 300, std::vector<std::uint8_t>(600 * 300 * 4, 200)};
    pending(wide.pngData());
    auto* doc = browser->document();
    QRectF picture, signOff;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QRectF r = doc->documentLayout()->blockBoundingRect(b);
        if (b.text().contains(QChar::ObjectReplacementCharacter)) picture = r;
        if (b.text().contains(QString::fromUtf8("公司办公室"))) signOff = r;
    }
    // The picture takes the page's width at its own proportions, and nothing sits beside it.
    EXPECT_GT(picture.height(), 150);
    EXPECT_LE(picture.width(), browser->viewport()->width());
    EXPECT_GE(signOff.top(), picture.bottom() - 1);
    WebView::setLoader({});
}

TEST_F(UsabilityPresentationTest, IconsComeFromTheIconFontAndDifferentNamesLookDifferent) {
    ASSERT_TRUE(iconFontAvailable()) << "the icon font is installed by scripts/setup";
    IconGlyphs::define("TestIconHome", {"home", 0xe88a});
    IconGlyphs::define("TestIconSettings", {"settings", 0xe8b8});
    auto draw = [](const std::string& name) {
        QImage image(40, 40, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        paintIcon(p, name, QRectF(5, 5, 30, 30), Qt::black);
        return image;
    };
    QImage home = draw("TestIconHome"), settings = draw("TestIconSettings");
    EXPECT_GT(testing::inkIn(home, home.rect()), 60);
    EXPECT_GT(testing::inkIn(settings, settings.rect()), 60);
    EXPECT_NE(home, settings);
}

TEST_F(UsabilityPresentationTest, TextIsNeverSmallerThanThirteenPixels) {
    EXPECT_EQ(uiFont(9).pixelSize(), kSmallestTextPixels);
    EXPECT_EQ(uiFont(12.4).pixelSize(), 13);
    EXPECT_EQ(uiFont(17).pixelSize(), 17);
}

// A page's own text follows the text size, on a page opened before the size changed too.
TEST_F(UsabilityPresentationTest, APagesTextFollowsTheTextSize) {
    auto page = std::make_shared<WebView>(Rect{0, 64, 390, 700});
    page->loadHTMLString("<p>冬季安全行车须知</p>", "http://127.0.0.1:8088/");
    root().addSubview(page);
    presenter->sync();
    WebPageBrowser* browser = presenter->widgetFor(*page)->browser();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->document()->defaultFont().pixelSize(), 15);
    TextSize::setPreference(200);
    presenter->sync();
    EXPECT_EQ(browser->document()->defaultFont().pixelSize(), 30);
    EXPECT_TRUE(browser->toPlainText().contains(QString::fromUtf8("冬季安全行车须知")));
    TextSize::setPreference(std::nullopt);
    presenter->sync();
    EXPECT_EQ(browser->document()->defaultFont().pixelSize(), 15);
}

// In the window, views are laid out with the metrics of the fonts drawn: a Latin caption measured
// by a guess of half an em per letter would be elided where it is drawn ("Remember passw…").
TEST_F(UsabilityPresentationTest, TextsAreMeasuredWithTheFontTheyAreDrawnWith) {
    installApplicationFont();
    const std::string caption = "Remember password";
    const double drawn = QFontMetricsF(uiFont(28)).horizontalAdvance(toQString(caption));
    EXPECT_DOUBLE_EQ(textWidth(caption, 28), drawn);
    // Narrower than the text: the lines are the ones drawn (broken between the words), as high as
    // the painter places them; the smallest size is the one drawn, too.
    const double narrow = drawn * 0.75;
    Size wrapped = measureText(caption, 28, {narrow, 0});
    EXPECT_EQ(wrapped.height, wrappedLineCount(toQString(caption), uiFont(28), narrow) * 1.2 * 28);
    EXPECT_EQ(wrapped.height, 2 * 1.2 * 28);
    EXPECT_EQ(measureText("调度\n发车", 9, {}).height, 2 * 1.2 * kSmallestTextPixels);
    setTextMetrics({});
    EXPECT_DOUBLE_EQ(textWidth(caption, 28), 17 * 0.55 * 28);
    installApplicationFont();
}

}  // namespace
}  // namespace busdesk::qt
