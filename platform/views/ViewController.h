#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/views/NavigationItem.h"
#include "platform/views/View.h"
#include "platform/views/WeakCallback.h"

namespace busdesk {

class NavigationController;
class Window;

// A container that stacks screens under a title bar, as the screens inside it see it, so that a
// screen reaches its stack without the stack's class. NavigationController implements it.
class ScreenStack {
  public:
    virtual ~ScreenStack() = default;
    virtual NavigationController& stackController() = 0;
    // A screen's title or navigation item changed: the title bar is rebuilt.
    virtual void refreshNavigationBar() = 0;
    virtual void popScreen(bool animated) = 0;
    virtual void popToRootScreen(bool animated) = 0;
};

// A screen. Owned through std::shared_ptr; its view is created on first use of view()
// (loadView, then viewDidLoad). Appearance calls come in the order
// viewWillAppear → viewDidAppear → viewWillDisappear → viewDidDisappear, never twice in a row.
//
// Transitions (push, pop, present, dismiss) change the model at once and then tell the
// lifecycle; `animated` is handed on and recorded for the presenter, which may animate what has
// already happened.
class ViewController : public std::enable_shared_from_this<ViewController>, public ViewOwner {
  public:
    ViewController();
    ~ViewController() override;
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // ---- view
    std::shared_ptr<View> view();
    bool isViewLoaded() const { return view_ != nullptr; }
    void setView(std::shared_ptr<View> v);

    // ---- lifecycle hooks (override; the base versions do nothing)
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }
    // Lays out the view when its frame changes (default: nothing).
    void viewDidLayoutSubviews() override {}

    bool isAppeared() const { return appearState_ == Appear::Did; }

    // ---- title bar
    const std::string& title() const { return title_; }
    void setTitle(std::string t);

    // ---- the screen's main action (sign in, query, submit): what Enter presses when the focus is
    // on no button. Held weakly; null when the screen has none.
    View* mainAction() const { return mainAction_.lock().get(); }
    void setMainAction(const std::shared_ptr<View>& button) { mainAction_ = button; }
    NavigationItem& navigationItem() { return navigationItem_; }
    virtual bool prefersStatusBarHidden() const { return false; }

    // ---- containment
    std::shared_ptr<ViewController> parentViewController() const;
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const { return children_; }
    void addChildViewController(std::shared_ptr<ViewController> child);
    void removeFromParentViewController();
    // The nearest navigation controller up the parent chain (itself excluded), or null.
    std::shared_ptr<NavigationController> navigationController() const;
    // The first ancestor (or this) that is a T; how a screen finds its side menu.
    template <class T>
    std::shared_ptr<T> ancestorOfType() const;

    // ---- modal presentation
    // Covers the whole window with `vc` (its view goes above every screen, below the overlay
    // layer). One presentation per controller: presenting over a controller that already
    // presents something presents over the topmost one instead.
    void presentViewController(const std::shared_ptr<ViewController>& vc, bool animated,
                               const std::function<void()>& completion = {});
    // Called on the presented controller or on its presenter: dismisses what is presented over it.
    void dismissViewController(bool animated, std::function<void()> completion = {});
    std::shared_ptr<ViewController> presentedViewController() const { return presented_; }
    std::shared_ptr<ViewController> presentingViewController() const { return presenting_.lock(); }
    bool lastTransitionAnimated() const { return lastAnimated_; }

    // ---- the back and home buttons of the pushed-screen title bar
    // Default: pop one screen / pop to the root screen of the stack, animated.
    virtual void goBack();
    virtual void goIndex();

    // ---- weak callbacks: they do nothing once the screen is gone.
    // `whileAlive<MyScreen>([](MyScreen& s, int row) {...})` takes the trailing arguments of the
    // body (here an int) and calls the body with this screen while it lives; T is this screen's class.
    template <class T, class Body>
    auto whileAlive(Body body) {
        return busdesk::whileAlive<T>(weak_from_this(), std::move(body));
    }
    // `action(&MyScreen::loginAction)`: a button action calling a member function.
    template <class T>
    View::Action action(void (T::*method)());
    template <class T>
    View::Action action(void (T::*method)(View&));
    template <class T>
    std::shared_ptr<T> self() {
        return std::static_pointer_cast<T>(shared_from_this());
    }

    // ---- used by containers and the window to drive appearance
    // Children that appear together with this controller (containers override).
    virtual std::vector<std::shared_ptr<ViewController>> visibleChildViewControllers() const { return {}; }
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();
    // The window this controller's view is in.
    Window* window() const;

  protected:
    // For containers: called when the view is created and when it is resized.
    void attachChildView(ViewController& child, View& container, Rect frame);

  private:
    enum class Appear { None, Will, Did, WillDis, DidDis };
    // ViewOwner
    ViewController& owningController() override { return *this; }

    friend class Window;
    friend class NavigationController;

    std::shared_ptr<View> view_;
    std::string title_;
    std::weak_ptr<View> mainAction_;
    NavigationItem navigationItem_;
    ViewController* parent_ = nullptr;  // the parent owns us, and clears this when it lets go
    std::vector<std::shared_ptr<ViewController>> children_;
    std::shared_ptr<ViewController> presented_;
    std::weak_ptr<ViewController> presenting_;
    Appear appearState_ = Appear::None;
    bool pendingAnimated_ = false;
    bool lastAnimated_ = false;
};

template <class T>
std::shared_ptr<T> ViewController::ancestorOfType() const {
    auto current = std::const_pointer_cast<ViewController>(shared_from_this());
    while (current) {
        if (auto hit = std::dynamic_pointer_cast<T>(current)) return hit;
        current = current->parentViewController();
    }
    return nullptr;
}

template <class T>
View::Action ViewController::action(void (T::*method)()) {
    return whileAlive<T>([method](T& self, View&) { (self.*method)(); });
}

template <class T>
View::Action ViewController::action(void (T::*method)(View&)) {
    return whileAlive<T>([method](T& self, View& sender) { (self.*method)(sender); });
}

}  // namespace busdesk
