#include <gtest/gtest.h>

#include <filesystem>

#include "platform/RunLoop.h"
#include "ui/ImageBrowser.h"
#include "ui/RemoteImageLoader.h"
#include "ui/ScrollingLabel.h"
#include "ui/SlideSwitchView.h"

namespace busdesk {
namespace {

class RemoteImageLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("busdesk-images-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        auto& loader = RemoteImageLoader::shared();
        loader.setCacheDirectory(dir.string());
        loader.clearMemoryCache();
        loader.setFetch([this](const std::string& url, std::function<void(std::optional<std::string>)> done) {
            requested.push_back(url);
            pending.push_back(std::move(done));
        });
        Image red{3, 2, std::vector<std::uint8_t>(3 * 2 * 4, 0)};
        for (std::size_t i = 0; i < red.rgba.size(); i += 4) red.rgba[i] = red.rgba[i + 3] = 255;
        png = red.pngData();
        ASSERT_FALSE(png.empty());
    }
    void TearDown() override {
        RemoteImageLoader::shared().setFetch({});
        RemoteImageLoader::shared().setCacheDirectory(std::nullopt);
        RemoteImageLoader::shared().clearMemoryCache();
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
    std::vector<std::string> requested;
    std::vector<std::function<void(std::optional<std::string>)>> pending;
    std::string png;
};

TEST_F(RemoteImageLoaderTest, PlaceholderFirstThenTheImageFromMemoryAndDiskOnLaterUses) {
    auto view = std::make_shared<ImageView>(Rect{0, 0, 50, 50});
    setImageWithURL(*view, "http://h/a.png", "placeholder");
    EXPECT_EQ(view->imageName(), "placeholder");
    EXPECT_EQ(view->image(), nullptr);
    // A second view asking for the same address shares the one download.
    auto other = std::make_shared<ImageView>(Rect{});
    setImageWithURL(*other, "http://h/a.png");
    ASSERT_EQ(pending.size(), 1u);
    pending[0](png);
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->width, 3);
    EXPECT_EQ(view->imageSource(), "http://h/a.png");
    EXPECT_EQ(other->image(), view->image());
    EXPECT_TRUE(std::filesystem::exists(RemoteImageLoader::shared().diskPathFor("http://h/a.png")));

    // From memory: at once, no download.
    auto third = std::make_shared<ImageView>(Rect{});
    setImageWithURL(*third, "http://h/a.png");
    EXPECT_TRUE(third->image());
    // From disk after the memory is gone.
    RemoteImageLoader::shared().clearMemoryCache();
    auto fourth = std::make_shared<ImageView>(Rect{});
    setImageWithURL(*fourth, "http://h/a.png");
    EXPECT_TRUE(fourth->image());
    EXPECT_EQ(requested.size(), 1u);
}

TEST_F(RemoteImageLoaderTest, AFailedOrOutdatedLoadLeavesThePlaceholder) {
    auto view = std::make_shared<ImageView>(Rect{});
    setImageWithURL(*view, "http://h/broken.png", "placeholder");
    pending[0](std::string("not a picture"));
    EXPECT_EQ(view->image(), nullptr);
    EXPECT_EQ(view->imageName(), "placeholder");
    EXPECT_FALSE(std::filesystem::exists(RemoteImageLoader::shared().diskPathFor("http://h/broken.png")));

    // A reused view moved on to another address before the first one arrived.
    setImageWithURL(*view, "http://h/first.png", "placeholder");
    setImageWithURL(*view, "http://h/second.png", "placeholder");
    ASSERT_EQ(pending.size(), 3u);
    pending[1](png);
    EXPECT_EQ(view->image(), nullptr);
    pending[2](std::nullopt);
    EXPECT_EQ(view->image(), nullptr);
    // The view is gone when the answer comes.
    auto gone = std::make_shared<Button>(Rect{});
    setBackgroundImageWithURL(*gone, "http://h/late.png", ControlState::Normal, "ph");
    gone.reset();
    pending.back()(png);
}

TEST(SlideSwitchViewTest, OnePageVisibleAndTheDelegateToldOnEachChange) {
    struct Pages : SlideSwitchViewDelegate {
        std::vector<std::shared_ptr<ViewController>> vcs;
        std::vector<int> told;
        Pages() {
            for (auto t : {"充值记录", "消费记录", "补贴记录"}) {
                vcs.push_back(std::make_shared<ViewController>());
                vcs.back()->setTitle(t);
            }
        }
        int numberOfTab(SlideSwitchView&) override { return 3; }
        std::shared_ptr<ViewController> viewOfTab(SlideSwitchView&, int i) override { return vcs[i]; }
        void didselectTab(SlideSwitchView&, int i) override { told.push_back(i); }
    };
    auto strip = std::make_shared<SlideSwitchView>(Rect{0, 0, 390, 600});
    auto pages = std::make_shared<Pages>();
    strip->setDelegate(pages);
    strip->buildUI();
    EXPECT_EQ(pages->told, std::vector<int>{0});
    EXPECT_FALSE(pages->vcs[1]->isViewLoaded());  // pages load when first shown
    auto* second = strip->viewWithTag(1);
    ASSERT_TRUE(second);
    second->userTap();
    strip->selectTab(1);  // already visible: nobody is told again
    strip->selectTab(7);
    EXPECT_EQ(pages->told, (std::vector<int>{0, 1}));
    EXPECT_TRUE(pages->vcs[1]->view()->superview());
    EXPECT_EQ(pages->vcs[0]->view()->superview(), nullptr);
}

TEST(ScrollingLabelTest, MovesAtItsRateOnlyWhenTheTextIsTooWide) {
    RunLoop::main().useManualClock();
    auto label = std::make_shared<ScrollingLabel>(Rect{0, 0, 100, 20}, 100, 10);
    label->setFontSize(10);
    label->setText("短");
    label->restartLabel();
    RunLoop::main().advance(seconds(1));
    EXPECT_DOUBLE_EQ(label->scrollOffset(), 0);
    label->setText(std::string(40, 'a'));  // 220 points wide
    label->setMarqueeType(MarqueeType::Continuous);
    RunLoop::main().advance(seconds(0.5));
    EXPECT_NEAR(label->scrollOffset(), 50, 1e-6);
    RunLoop::main().advance(seconds(2.6));  // 260 points: one period (220 + gap 40) later
    EXPECT_NEAR(label->scrollOffset(), 50, 1e-6);
}

TEST(ImageBrowserTest, StartIndexAndPagingStayInRange) {
    Image px{1, 1, {1, 2, 3, 255}};
    auto img = std::make_shared<const Image>(px);
    auto browser = std::make_shared<ImageBrowser>(
        std::vector<ImageBrowser::ImageSource>{img, std::string("http://h/x.png"), img}, 9);
    EXPECT_EQ(browser->currentIndex(), 2);
    browser->view();
    browser->showNext();
    EXPECT_EQ(browser->currentIndex(), 2);
    browser->showIndex(0);
    browser->showPrevious();
    EXPECT_EQ(browser->currentIndex(), 0);
    auto* counter = dynamic_cast<Label*>(browser->view()->viewWithIdentifier("pageIndex"));
    ASSERT_TRUE(counter);
    EXPECT_EQ(counter->text(), "1/3");
    auto empty = std::make_shared<ImageBrowser>(std::vector<ImageBrowser::ImageSource>{}, 3);
    empty->view();  // nothing to show must not crash
    EXPECT_EQ(empty->currentIndex(), 0);
}

}  // namespace
}  // namespace busdesk
