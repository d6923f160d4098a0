#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

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
        // The loader outlives the test: whatever a test left under way (a test skipped halfway)
        // ends here, so no late lookup asks the next test's fetch for this test's addresses.
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        for (auto& answer : pending)
            if (answer) answer(std::nullopt);
        pending.clear();
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        RemoteImageLoader::shared().setFetch({});
        RemoteImageLoader::shared().setCacheDirectory(std::nullopt);
        RemoteImageLoader::shared().clearMemoryCache();
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
    std::vector<std::string> requested;
    std::vector<std::function<void(std::optional<std::string>)>> pending;
    std::string png;

    static void settle() { ASSERT_TRUE(RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000))); }
};

TEST_F(RemoteImageLoaderTest, PlaceholderFirstThenTheImageFromMemoryAndDiskOnLaterUses) {
    auto view = std::make_shared<ImageView>(Rect{0, 0, 50, 50});
    setImageWithURL(*view, "http://h/a.png", "placeholder");
    EXPECT_EQ(view->imageName(), "placeholder");
    EXPECT_EQ(view->image(), nullptr);
    // A second view asking for the same address shares the one download.
    auto other = std::make_shared<ImageView>(Rect{});
    setImageWithURL(*other, "http://h/a.png");
    settle();  // the disk is looked at first, off the main thread
    ASSERT_EQ(pending.size(), 1u);
    pending[0](png);
    // Decoded and written off the main thread; the views get it on the main thread after.
    settle();
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
    EXPECT_FALSE(fourth->image());  // read from disk off the main thread
    settle();
    EXPECT_TRUE(fourth->image());
    EXPECT_EQ(requested.size(), 1u);
}

TEST_F(RemoteImageLoaderTest, AFailedOrOutdatedLoadLeavesThePlaceholder) {
    auto view = std::make_shared<ImageView>(Rect{});
    setImageWithURL(*view, "http://h/broken.png", "placeholder");
    settle();
    pending[0](std::string("not a picture"));
    settle();
    EXPECT_EQ(view->image(), nullptr);
    EXPECT_EQ(view->imageName(), "placeholder");
    EXPECT_FALSE(std::filesystem::exists(RemoteImageLoader::shared().diskPathFor("http://h/broken.png")));

    // A reused view moved on to another address before the first one arrived.
    setImageWithURL(*view, "http://h/first.png", "placeholder");
    setImageWithURL(*view, "http://h/second.png", "placeholder");
    settle();
    ASSERT_EQ(pending.size(), 3u);
    // The two disk lookups run side by side off the main thread: the downloads may be asked for in
    // either order.
    const std::size_t first = requested[1] == "http://h/first.png" ? 1 : 2;
    ASSERT_EQ(requested[first], "http://h/first.png");
    ASSERT_EQ(requested[3 - first], "http://h/second.png");
    pending[first](png);
    settle();
    EXPECT_EQ(view->image(), nullptr);
    pending[3 - first](std::nullopt);
    settle();
    EXPECT_EQ(view->image(), nullptr);
    // The view is gone when the answer comes.
    auto gone = std::make_shared<Button>(Rect{});
    setBackgroundImageWithURL(*gone, "http://h/late.png", ControlState::Normal, "ph");
    settle();
    gone.reset();
    pending.back()(png);
    settle();
}

// A late answer for a destroyed view must not take the place of a new view that happens to sit
// at the same address.
TEST_F(RemoteImageLoaderTest, ALateAnswerForAGoneViewLeavesTheNextViewAtItsAddressAlone) {
    // Made apart from their control blocks, so a view's memory is freed with the view while a
    // weak pointer to it still waits for the answer.
    std::shared_ptr<ImageView> first(new ImageView(Rect{}));
    setImageWithURL(*first, "http://h/old.png");
    const View* address = first.get();
    first.reset();
    std::shared_ptr<ImageView> second;
    std::vector<std::shared_ptr<ImageView>> misses;
    for (int i = 0; i < 16 && (!second || second.get() != address); ++i) {
        if (second) misses.push_back(second);
        second.reset(new ImageView(Rect{}));
    }
    if (second.get() != address) GTEST_SKIP() << "the allocator gave no address twice";
    setImageWithURL(*second, "http://h/new.png");
    settle();
    ASSERT_EQ(pending.size(), 2u);
    const std::size_t old = requested[0] == "http://h/old.png" ? 0 : 1;  // lookups may finish in any order
    pending[old](png);                                                   // the old view's answer
    settle();
    pending[1 - old](png);
    settle();
    ASSERT_TRUE(second->image());
    EXPECT_EQ(second->imageSource(), "http://h/new.png");
}

// A picture is decoded for the box its view shows it in (two pixels a point), never at its full
// size: a larger view of the same address gets it decoded again, larger, and the smaller view's
// next request is served from that one. Views that ask while the download runs all get a picture
// that covers their box.
TEST_F(RemoteImageLoaderTest, PicturesAreDecodedForTheBoxTheyAreShownIn) {
    Image big{400, 300, std::vector<std::uint8_t>(400 * 300 * 4, 200)};
    const std::string bigPNG = big.pngData();
    auto thumb = std::make_shared<Button>(Rect{0, 0, 80, 80});
    setBackgroundImageWithURL(*thumb, "http://h/big.png", ControlState::Normal, "ph");
    auto page = std::make_shared<ImageView>(Rect{0, 0, 300, 200});
    setImageWithURL(*page, "http://h/big.png");
    settle();
    ASSERT_EQ(pending.size(), 1u);
    pending[0](bigPNG);
    settle();
    auto small = thumb->backgroundImageForState(ControlState::Normal);
    ASSERT_TRUE(small);
    ASSERT_TRUE(page->image());
    // The page (600 x 400 pixels) needs the whole 400 x 300 picture; the thumbnail at least
    // 213 x 160.
    EXPECT_EQ(page->image()->width, 400);
    EXPECT_GE(small->width, 213);
    EXPECT_GE(small->height, 160);

    // Another address: a thumbnail first, then the page, after the thumbnail's picture is in.
    auto thumb2 = std::make_shared<Button>(Rect{0, 0, 80, 80});
    setBackgroundImageWithURL(*thumb2, "http://h/big2.png", ControlState::Normal, "ph");
    settle();
    pending.back()(bigPNG);
    settle();
    ASSERT_TRUE(thumb2->backgroundImageForState(ControlState::Normal));
    EXPECT_EQ(thumb2->backgroundImageForState(ControlState::Normal)->width, 213);
    auto page2 = std::make_shared<ImageView>(Rect{0, 0, 300, 200});
    setImageWithURL(*page2, "http://h/big2.png");
    settle();  // decoded again from the disk, larger
    ASSERT_TRUE(page2->image());
    EXPECT_EQ(page2->image()->width, 400);
    auto again = std::make_shared<Button>(Rect{0, 0, 80, 80});
    setBackgroundImageWithURL(*again, "http://h/big2.png", ControlState::Normal, "ph");
    EXPECT_EQ(again->backgroundImageForState(ControlState::Normal), page2->image())
        << "served from memory at once";
    EXPECT_EQ(requested.size(), 2u);

    // Memory keeps decoded pictures within its budget, least recently used out first.
    auto& loader = RemoteImageLoader::shared();
    const auto limit = loader.memoryLimit();
    loader.setMemoryLimit(2 * (400 * 300 * 4 + 64));
    for (int i = 0; i < 4; ++i) {
        auto v = std::make_shared<ImageView>(Rect{0, 0, 300, 200});
        setImageWithURL(*v, "http://h/m" + std::to_string(i) + ".png");
        settle();
        pending.back()(bigPNG);
        settle();
        EXPECT_LE(loader.memoryUsed(), loader.memoryLimit());
    }
    EXPECT_TRUE(loader.cachedImage("http://h/m3.png"));
    EXPECT_FALSE(loader.cachedImage("http://h/m0.png"));
    loader.setMemoryLimit(limit);
}

// The disk cache is ours: what stands there that we did not write (a named pipe, a link) is never
// read, but removed and fetched again.
TEST_F(RemoteImageLoaderTest, ACachedFileThatIsNoRegularFileIsFetchedAgain) {
    auto& loader = RemoteImageLoader::shared();
    std::filesystem::create_directories(dir);
    ASSERT_EQ(::mkfifo(loader.diskPathFor("http://h/pipe.png").c_str(), 0600), 0);
    std::ofstream(dir / "real.png") << png;
    std::filesystem::create_symlink(dir / "real.png", loader.diskPathFor("http://h/link.png"));
    for (const char* url : {"http://h/pipe.png", "http://h/link.png"}) {
        auto v = std::make_shared<ImageView>(Rect{0, 0, 50, 50});
        setImageWithURL(*v, url);
        settle();
        ASSERT_FALSE(requested.empty()) << url;
        EXPECT_EQ(requested.back(), url);
        EXPECT_FALSE(v->image());
        pending.back()(png);
        settle();
        EXPECT_TRUE(v->image()) << url;
        EXPECT_TRUE(
            std::filesystem::is_regular_file(std::filesystem::symlink_status(loader.diskPathFor(url))));
    }
}

TEST_F(RemoteImageLoaderTest, DiskCacheKeepsTheMostRecentlyUsedWithinItsByteAndAgeLimits) {
    auto& loader = RemoteImageLoader::shared();
    const auto previousBytes = loader.diskByteLimit();
    const auto previousAge = loader.diskAgeLimit();
    loader.setDiskLimits(3 * png.size() + png.size() / 2, std::chrono::hours(1));
    const auto base = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(30);
    std::vector<std::string> urls;
    for (int i = 0; i < 5; ++i) {
        urls.push_back("http://h/p" + std::to_string(i) + ".png");
        auto v = std::make_shared<ImageView>(Rect{});
        setImageWithURL(*v, urls.back());
        settle();
        pending.back()(png);
        settle();
        ASSERT_TRUE(v->image());
        // Written one minute apart, as far as the cache can tell.
        std::filesystem::last_write_time(loader.diskPathFor(urls.back()), base + std::chrono::minutes(i));
    }
    // Only the last three fit; the oldest went first.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(std::filesystem::exists(loader.diskPathFor(urls[i])), i >= 2) << i;

    // A picture past the age limit is fetched again rather than shown.
    std::filesystem::last_write_time(loader.diskPathFor(urls[4]), base - std::chrono::hours(2));
    loader.clearMemoryCache();
    auto v = std::make_shared<ImageView>(Rect{});
    const auto fetchesBefore = requested.size();
    setImageWithURL(*v, urls[4]);
    settle();
    EXPECT_EQ(requested.size(), fetchesBefore + 1);
    EXPECT_FALSE(v->image());
    loader.setDiskLimits(previousBytes, previousAge);
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
    // The chosen tab is the one drawn apart.
    Button* first = nullptr;  // tag 0 is every view's tag: the first tab is found by its name
    for (auto& v : strip->subviews())
        if (v->identifier() == "tab" && v->tag() == 0) first = dynamic_cast<Button*>(v.get());
    auto* chosen = dynamic_cast<Button*>(second);
    ASSERT_TRUE(first && chosen);
    EXPECT_NE(chosen->titleColorForState(chosen->state()), first->titleColorForState(first->state()));
    EXPECT_NE(chosen->backgroundColor(), first->backgroundColor());
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
