#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/ViewController.h"
#include "platform/views/WeakCallback.h"

namespace busdesk {
namespace {

// Writes what happens to it into a journal, its own end included.
class Screen : public ViewController {
  public:
    explicit Screen(std::vector<std::string>& journal) : journal_(journal) {}
    ~Screen() override { journal_.push_back("destroyed"); }
    void note(const std::string& what) { journal_.push_back(what); }
    void pressed() { journal_.push_back("pressed"); }
    void pressedBy(View& sender) { journal_.push_back("pressed by " + std::to_string(sender.tag())); }

  private:
    std::vector<std::string>& journal_;
};

class Panel : public View {
  public:
    explicit Panel(std::vector<std::string>& journal) : journal_(journal) {}
    std::function<void(int)> rowHandler() {
        return whileAlive(this,
                          [](Panel& p, int row) { p.journal_.push_back("row " + std::to_string(row)); });
    }

  private:
    std::vector<std::string>& journal_;
};

using Journal = std::vector<std::string>;

// A callback takes exactly what its body takes after the owner, so overloads taking callbacks of
// other shapes (and std::function's own checks) still tell them apart.
using IndexCallback = decltype(whileAlive<Screen>(std::weak_ptr<Screen>(), [](Screen&, int) {}));
static_assert(std::is_invocable_v<const IndexCallback&, int>);
static_assert(!std::is_invocable_v<const IndexCallback&>);
static_assert(!std::is_invocable_v<const IndexCallback&, View&>);
static_assert(!std::is_constructible_v<std::function<void(View&)>, IndexCallback>);
static_assert(std::is_constructible_v<std::function<void(int)>, IndexCallback>);

TEST(WeakCallbackTest, ControllerCallbackPassesItsArgumentsWhileTheControllerLivesAndNothingAfter) {
    Journal journal;
    auto screen = std::make_shared<Screen>(journal);
    std::function<void(const std::string&, int)> answered = screen->whileAlive<Screen>(
        [](Screen& s, const std::string& text, int count) { s.note(text + " x" + std::to_string(count)); });
    std::function<void()> timer = screen->whileAlive<Screen>([](Screen& s) { s.note("tick"); });

    answered("answer", 3);
    timer();
    EXPECT_EQ(journal, (Journal{"answer x3", "tick"}));

    screen.reset();
    answered("late answer", 4);
    timer();
    EXPECT_EQ(journal, (Journal{"answer x3", "tick", "destroyed"}));
}

TEST(WeakCallbackTest, ArgumentsAreForwardedNotCopied) {
    Journal journal;
    auto screen = std::make_shared<Screen>(journal);
    std::function<void(std::unique_ptr<int>)> take = screen->whileAlive<Screen>(
        [](Screen& s, std::unique_ptr<int> value) { s.note(std::to_string(*value)); });
    std::vector<int> seen;
    std::function<void(std::vector<int>&)> fill =
        screen->whileAlive<Screen>([](Screen&, std::vector<int>& out) { out.push_back(7); });

    take(std::make_unique<int>(42));
    fill(seen);
    EXPECT_EQ(journal, (Journal{"42"}));
    EXPECT_EQ(seen, (std::vector<int>{7}));  // the caller's own vector, by reference
}

TEST(WeakCallbackTest, TheControllerOutlivesACallThatDropsItsLastOwner) {
    Journal journal;
    auto screen = std::make_shared<Screen>(journal);
    std::function<void()> closing = screen->whileAlive<Screen>([&screen](Screen& s) {
        screen.reset();  // the last owner outside lets go while the body runs
        s.note("still here");
    });
    closing();
    EXPECT_EQ(journal, (Journal{"still here", "destroyed"}));
    closing();
    EXPECT_EQ(journal.size(), 2u);
}

TEST(WeakCallbackTest, ActionsOfBothKindsStopWithTheController) {
    Journal journal;
    auto screen = std::make_shared<Screen>(journal);
    auto button = std::make_shared<Button>(Rect{0, 0, 10, 10}, "ok");
    button->setTag(5);
    View::Action plain = screen->action(&Screen::pressed);
    View::Action withSender = screen->action(&Screen::pressedBy);
    plain(*button);
    withSender(*button);
    screen.reset();
    plain(*button);
    withSender(*button);
    EXPECT_EQ(journal, (Journal{"pressed", "pressed by 5", "destroyed"}));
}

TEST(WeakCallbackTest, ViewCallbackMadeFromThisStopsWithTheView) {
    Journal journal;
    auto panel = std::make_shared<Panel>(journal);
    auto handler = panel->rowHandler();
    handler(2);
    panel.reset();
    handler(3);
    EXPECT_EQ(journal, (Journal{"row 2"}));
}

TEST(WeakCallbackTest, AWeakReferenceOfABaseReachesTheDerivedObject) {
    Journal journal;
    auto screen = std::make_shared<Screen>(journal);
    std::weak_ptr<ViewController> base = screen;
    auto call = whileAlive<Screen>(base, [](Screen& s, int n) { s.note("n=" + std::to_string(n)); });
    call(1);
    screen.reset();
    call(2);
    EXPECT_EQ(journal, (Journal{"n=1", "destroyed"}));
}

}  // namespace
}  // namespace busdesk
