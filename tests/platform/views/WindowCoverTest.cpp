#include <gtest/gtest.h>

#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "platform/views/ViewFinder.h"
#include "platform/views/Window.h"

namespace busdesk {
namespace {

// A screen with a field, a button and a label, each named.
class FormScreen : public ViewController {
  public:
    explicit FormScreen(std::string prefix) : prefix_(std::move(prefix)) {}
    void viewDidLoad() override {
        field = std::make_shared<TextField>(Rect{10, 10, 200, 40});
        field->setIdentifier(prefix_ + "Field");
        button = std::make_shared<Button>(Rect{10, 60, 200, 40}, prefix_ + " button");
        button->setIdentifier(prefix_ + "Button");
        button->addAction([this](View&) { ++taps; });
        label = std::make_shared<Label>(Rect{10, 110, 200, 20}, prefix_ + " text");
        for (const std::shared_ptr<View>& v :
             std::initializer_list<std::shared_ptr<View>>{field, button, label})
            view()->addSubview(v);
    }
    std::shared_ptr<TextField> field;
    std::shared_ptr<Button> button;
    std::shared_ptr<Label> label;
    int taps = 0;

  private:
    std::string prefix_;
};

struct CoverFixture : testing::Test {
    void SetUp() override {
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        screen = std::make_shared<FormScreen>("under");
        window->setRootViewController(screen);
        cover = std::make_shared<FormScreen>("cover");
    }
    std::shared_ptr<Window> window;
    std::shared_ptr<FormScreen> screen;
    std::shared_ptr<FormScreen> cover;
};

TEST_F(CoverFixture, NothingUnderACoverCanBeSeenFoundOrTapped) {
    screen->field->setText("half-typed");
    window->setCoverViewController(cover);
    EXPECT_TRUE(window->isCovered());

    std::string dump = ScreenDump::dump(*window);
    EXPECT_NE(dump.find("#coverField"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("under"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("half-typed"), std::string::npos) << dump;

    EXPECT_EQ(ViewFinder::find(*window, "#underButton"), nullptr);
    EXPECT_EQ(ViewFinder::find(*window, "under text"), nullptr);
    EXPECT_FALSE(screen->button->isVisible());
    EXPECT_FALSE(screen->button->isReachable());
    EXPECT_TRUE(cover->button->isReachable());

    // A screen or an overlay added while covered stays under the cover.
    auto late = std::make_shared<FormScreen>("late");
    screen->presentViewController(late, false);
    auto sheet = std::make_shared<Label>(Rect{0, 0, 100, 20}, "late overlay");
    window->overlayLayer().addSubview(sheet);
    EXPECT_EQ(window->subviews().back(), cover->view());
    dump = ScreenDump::dump(*window);
    EXPECT_EQ(dump.find("late"), std::string::npos) << dump;

    // Gone, and everything is as it was.
    window->setCoverViewController(nullptr);
    EXPECT_EQ(screen->field->text(), "half-typed");
    EXPECT_NE(ScreenDump::dump(*window).find("late overlay"), std::string::npos);
    EXPECT_TRUE(late->button->isReachable());
}

TEST_F(CoverFixture, FocusGoesToTheCoverAndComesBack) {
    ASSERT_TRUE(screen->field->becomeFirstResponder());
    window->setCoverViewController(cover);
    EXPECT_FALSE(screen->field->isFirstResponder());
    ASSERT_TRUE(cover->field->becomeFirstResponder());
    window->setCoverViewController(nullptr);
    EXPECT_TRUE(screen->field->isFirstResponder());
    EXPECT_FALSE(cover->isViewLoaded() && cover->view()->superview());
}

TEST_F(CoverFixture, WaitingJobsRunOnceTheCoverGoes) {
    std::vector<std::string> ran;
    window->runWhenUncovered([&] { ran.push_back("at once"); });
    window->setCoverViewController(cover);
    window->runWhenUncovered([&] { ran.push_back("first"); });
    window->runWhenUncovered([&] { ran.push_back("second"); });
    EXPECT_EQ(ran, std::vector<std::string>{"at once"});
    // Another cover in its place is still a cover.
    window->setCoverViewController(std::make_shared<FormScreen>("other"));
    EXPECT_EQ(ran.size(), 1u);
    window->setCoverViewController(nullptr);
    EXPECT_EQ(ran, (std::vector<std::string>{"at once", "first", "second"}));
}

}  // namespace
}  // namespace busdesk
