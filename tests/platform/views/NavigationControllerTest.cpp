#include <gtest/gtest.h>

#include "platform/views/NavigationController.h"
#include "platform/views/Window.h"

namespace busdesk {
namespace {

// Records lifecycle calls into a shared journal as "name:call".
class Journaled : public ViewController {
  public:
    Journaled(std::string name, std::vector<std::string>& journal)
        : name_(std::move(name)), journal_(journal) {}
    void viewDidLoad() override { journal_.push_back(name_ + ":load"); }
    void viewWillAppear(bool) override { journal_.push_back(name_ + ":willAppear"); }
    void viewDidAppear(bool) override { journal_.push_back(name_ + ":didAppear"); }
    void viewWillDisappear(bool) override { journal_.push_back(name_ + ":willDisappear"); }
    void viewDidDisappear(bool) override { journal_.push_back(name_ + ":didDisappear"); }

  private:
    std::string name_;
    std::vector<std::string>& journal_;
};

class NavigationControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
    }
    std::shared_ptr<Window> window;
    std::vector<std::string> journal;
};

TEST_F(NavigationControllerTest, PushAndPopRunTheLifecycleInOrderAndKeepOnlyTheTopInTheTree) {
    auto a = std::make_shared<Journaled>("a", journal);
    auto nav = std::make_shared<NavigationController>(a);
    window->setRootViewController(nav);
    EXPECT_EQ(journal, (std::vector<std::string>{"a:load", "a:willAppear", "a:didAppear"}));
    journal.clear();

    auto b = std::make_shared<Journaled>("b", journal);
    nav->pushViewController(b, true);
    EXPECT_EQ(journal, (std::vector<std::string>{"b:load", "a:willDisappear", "b:willAppear",
                                                 "a:didDisappear", "b:didAppear"}));
    EXPECT_EQ(a->view()->window(), nullptr);
    EXPECT_EQ(b->view()->window(), window.get());
    EXPECT_EQ(b->navigationController(), nav);
    EXPECT_EQ(nav->lastTransition(), NavigationController::Transition::Push);
    journal.clear();

    EXPECT_EQ(nav->popViewController(true), b);
    EXPECT_EQ(journal,
              (std::vector<std::string>{"b:willDisappear", "a:willAppear", "b:didDisappear", "a:didAppear"}));
    EXPECT_EQ(b->parentViewController(), nullptr);
    // The root is never popped.
    EXPECT_EQ(nav->popViewController(true), nullptr);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(NavigationControllerTest, SettingTheStackReplacesItAndItsOwnListKeepsIt) {
    auto a = std::make_shared<Journaled>("a", journal);
    auto b = std::make_shared<Journaled>("b", journal);
    auto c = std::make_shared<Journaled>("c", journal);
    auto nav = std::make_shared<NavigationController>(a);
    window->setRootViewController(nav);
    nav->setViewControllers({b, c}, false);
    EXPECT_EQ(nav->viewControllers(), (std::vector<std::shared_ptr<ViewController>>{b, c}));
    EXPECT_EQ(nav->topViewController(), c);
    // Its own list, handed back, leaves the stack as it was instead of emptying it.
    nav->setViewControllers(nav->viewControllers(), false);
    EXPECT_EQ(nav->viewControllers(), (std::vector<std::shared_ptr<ViewController>>{b, c}));
    EXPECT_EQ(nav->topViewController(), c);
}

TEST_F(NavigationControllerTest, PopToRootSkipsTheLifecycleOfScreensInBetween) {
    auto a = std::make_shared<Journaled>("a", journal);
    auto nav = std::make_shared<NavigationController>(a);
    window->setRootViewController(nav);
    auto b = std::make_shared<Journaled>("b", journal);
    auto c = std::make_shared<Journaled>("c", journal);
    nav->pushViewController(b, false);
    nav->pushViewController(c, false);
    journal.clear();
    auto popped = nav->popToRootViewController(true);
    ASSERT_EQ(popped.size(), 2u);
    EXPECT_EQ(popped.back(), c);
    EXPECT_EQ(journal,
              (std::vector<std::string>{"c:willDisappear", "a:willAppear", "c:didDisappear", "a:didAppear"}));
    EXPECT_EQ(nav->topViewController(), a);
}

TEST_F(NavigationControllerTest, ModalCoversTheWholeScreenAndDismissRestoresIt) {
    auto a = std::make_shared<Journaled>("a", journal);
    auto nav = std::make_shared<NavigationController>(a);
    window->setRootViewController(nav);
    journal.clear();
    auto m = std::make_shared<Journaled>("m", journal);
    bool completed = false;
    a->presentViewController(m, true, [&] { completed = true; });
    EXPECT_TRUE(completed);
    EXPECT_EQ(journal, (std::vector<std::string>{"m:load", "a:willDisappear", "m:willAppear",
                                                 "a:didDisappear", "m:didAppear"}));
    // Presented from a child, hosted by the outermost controller.
    EXPECT_EQ(m->presentingViewController(), nav);
    EXPECT_EQ(window->topViewController(), m);
    EXPECT_EQ(nav->view()->window(), nullptr);
    EXPECT_EQ(m->view()->frame(), window->bounds());
    journal.clear();

    m->dismissViewController(true);
    EXPECT_EQ(journal,
              (std::vector<std::string>{"m:willDisappear", "a:willAppear", "m:didDisappear", "a:didAppear"}));
    EXPECT_EQ(window->topViewController(), nav);
    EXPECT_EQ(nav->view()->window(), window.get());
    EXPECT_EQ(m->presentingViewController(), nullptr);
    // The overlay layer stays on top of every screen.
    EXPECT_EQ(window->subviews().back().get(), &window->overlayLayer());
}

TEST_F(NavigationControllerTest, ReplacingTheRootDropsItsPresentations) {
    auto first = std::make_shared<Journaled>("first", journal);
    window->setRootViewController(first);
    auto login = std::make_shared<Journaled>("login", journal);
    first->presentViewController(login, true);
    journal.clear();
    auto second = std::make_shared<Journaled>("second", journal);
    window->setRootViewController(second);
    EXPECT_EQ(journal, (std::vector<std::string>{"login:willDisappear", "second:load", "second:willAppear",
                                                 "login:didDisappear", "second:didAppear"}));
    EXPECT_EQ(window->topViewController(), second);
    EXPECT_EQ(login->view()->window(), nullptr);
    EXPECT_EQ(login->presentingViewController(), nullptr);
}

TEST_F(NavigationControllerTest, BarShowsTheTopItemAndAPlainBackButtonOnPushedScreens) {
    auto a = std::make_shared<ViewController>();
    a->setTitle("首页");
    auto nav = std::make_shared<NavigationController>(a);
    window->setRootViewController(nav);
    EXPECT_EQ(nav->navigationBar().titleText(), "首页");
    EXPECT_EQ(nav->navigationBar().leftButton(), nullptr);

    auto b = std::make_shared<ViewController>();
    b->setTitle("详情");
    nav->pushViewController(b, false);
    ASSERT_NE(nav->navigationBar().leftButton(), nullptr);
    EXPECT_EQ(nav->navigationBar().leftButton()->identifier(), "navBack");
    EXPECT_TRUE(nav->navigationBar().leftButton()->userTap());
    EXPECT_EQ(nav->topViewController(), a);

    // Changing an item while on top rebuilds the bar at once.
    auto item = std::make_shared<BarButtonItem>();
    item->identifier = "goIndex";
    bool pressed = false;
    item->action = [&](View&) { pressed = true; };
    a->navigationItem().setRightBarButtonItem(item);
    ASSERT_NE(nav->navigationBar().rightButton(), nullptr);
    nav->navigationBar().rightButton()->userTap();
    EXPECT_TRUE(pressed);

    // A titled item is drawn in the bar's tint, also when the tint changes while it shows; a
    // custom button keeps its own colour.
    auto confirm = std::make_shared<BarButtonItem>();
    confirm->title = "确定";
    a->navigationItem().setRightBarButtonItem(confirm);
    nav->navigationBar().setTintColor(Color::whiteColor());
    EXPECT_EQ(nav->navigationBar().rightButton()->titleColorForState(ControlState::Normal),
              Color::whiteColor());
    nav->navigationBar().setTintColor(Color::black());
    EXPECT_EQ(nav->navigationBar().rightButton()->titleColorForState(ControlState::Normal), Color::black());
    auto own = std::make_shared<Button>(Rect{0, 0, 40, 30}, "own");
    own->setTitleColor(Color::whiteColor());
    a->navigationItem().setLeftBarButtonItem(BarButtonItem::withView(own));
    EXPECT_EQ(nav->navigationBar().leftButton(), own.get());
    EXPECT_EQ(own->titleColorForState(ControlState::Normal), Color::whiteColor());

    nav->setNavigationBarHidden(true);
    EXPECT_EQ(a->view()->frame().y, 0);
    nav->setNavigationBarHidden(false);
    EXPECT_EQ(a->view()->frame().y, NavigationController::kStatusBarHeight + NavigationBar::kHeight);
}

TEST_F(NavigationControllerTest, WeakActionsDoNothingOnceTheScreenIsGone) {
    struct Screen : ViewController {
        int calls = 0;
        void press() { ++calls; }
    };
    auto screen = std::make_shared<Screen>();
    auto act = screen->action(&Screen::press);
    View sender;
    act(sender);
    EXPECT_EQ(screen->calls, 1);
    screen.reset();
    act(sender);  // must not crash or call into freed memory
}

}  // namespace
}  // namespace busdesk
