// What a screen reader is given: every screen's accessibility tree, walked as assistive
// technology walks it, names every element a person can use with a role that says what it is;
// the busy overlay and toasts are announced, and changes of state are reported.
#include <gtest/gtest.h>

#include <QAccessible>
#include <algorithm>
#include <set>

#include "platform/qt/Accessibility.h"
#include "platform/qt/ViewWidget.h"
#include "platform/views/ViewController.h"
#include "tests/app/qt/WindowWalk.h"
#include "ui/ScreenHelpers.h"

namespace busdesk {
namespace {

struct Node {
    QAccessible::Role role;
    QString name;
    QAccessible::State state;
    QObject* object;
};

void collect(QAccessibleInterface* iface, std::vector<Node>& out, int depth = 0) {
    ASSERT_LT(depth, 60) << "the tree loops";
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(iface->indexOfChild(child), i);
        EXPECT_EQ(child->parent() ? child->parent()->object() : nullptr, iface->object());
        if (child->state().invisible) continue;
        out.push_back({child->role(), child->text(QAccessible::Name), child->state(), child->object()});
        collect(child, out, depth + 1);
    }
}

bool generic(QAccessible::Role role) {
    return role == QAccessible::NoRole || role == QAccessible::Client || role == QAccessible::Grouping ||
           role == QAccessible::Pane || role == QAccessible::Window;
}

class AccessibilityTree : public window_tests::WindowWalk {
  protected:
    std::vector<Node> tree() {
        presenter_->sync();
        std::vector<Node> nodes;
        collect(QAccessible::queryAccessibleInterface(presenter_->surface()), nodes);
        return nodes;
    }

    // Every element that can be used has a name and a role of its kind, and every such view on
    // the screen is in the tree.
    void checkScreen(const std::string& stop) {
        auto nodes = tree();
        std::set<QObject*> inTree;
        int usable = 0;
        for (const Node& n : nodes) {
            inTree.insert(n.object);
            // What is announced as a whole is named: a row, a dialog, a menu, a message.
            if (n.role == QAccessible::ListItem || n.role == QAccessible::Dialog ||
                n.role == QAccessible::PopupMenu || n.role == QAccessible::AlertMessage ||
                n.role == QAccessible::ProgressBar || n.role == QAccessible::PageTab) {
                EXPECT_FALSE(n.name.trimmed().isEmpty()) << stop << ": a nameless element of role " << n.role;
            }
            if (!n.state.focusable) continue;
            ++usable;
            auto* w = dynamic_cast<qt::ViewWidget*>(n.object);
            std::string id = w && w->view() ? w->view()->identifier() : "";
            EXPECT_FALSE(n.name.trimmed().isEmpty()) << stop << ": an element without a name, #" << id;
            EXPECT_FALSE(generic(n.role)) << stop << ": \"" << n.name.toStdString() << "\" #" << id
                                          << " has the generic role " << n.role;
        }
        for (View* v : shownViews()) {
            if (!qt::actsOnPress(*v)) continue;
            bool leftOut = false;
            for (View* up = v; up; up = up->superview()) leftOut = leftOut || up->accessibilityHidden();
            if (leftOut) continue;
            auto* w = presenter_->widgetFor(*v);
            EXPECT_TRUE(inTree.count(w)) << stop << ": #" << v->identifier() << " \"" << v->accessibleName()
                                         << "\" is missing from the tree";
        }
        // Only the opening advertisement has nothing to press.
        if (stop != "advertising") {
            EXPECT_GT(usable, 0) << stop;
        }
    }

    static const Node* findNode(const std::vector<Node>& nodes, QAccessible::Role role, const QString& name) {
        for (const Node& n : nodes)
            if (n.role == role && n.name == name) return &n;
        return nullptr;
    }
};

TEST_F(AccessibilityTree, EveryUsableElementOfEveryScreenHasANameAndARole) {
    int stops = walkEveryScreen([&](const std::string& stop) {
        checkScreen(stop);
        auto nodes = tree();
        if (stop == "left menu") {
            EXPECT_NE(findNode(nodes, QAccessible::PopupMenu, "功能菜单"), nullptr);
        }
        if (stop == "right menu") {
            EXPECT_NE(findNode(nodes, QAccessible::PopupMenu, "个人菜单"), nullptr);
        }
        if (stop == "home") {
            // Icon-only title-bar buttons say what they do.
            EXPECT_NE(findNode(nodes, QAccessible::Button, "功能菜单"), nullptr);
            EXPECT_NE(findNode(nodes, QAccessible::Button, "个人菜单"), nullptr);
        }
        if (stop == "login") {
            EXPECT_NE(findNode(nodes, QAccessible::EditableText, "请输入工号"), nullptr);
            EXPECT_NE(findNode(nodes, QAccessible::CheckBox, "记住密码"), nullptr);
        }
        if (stop == "date sheet" || stop == "photo action sheet" || stop == "kind sheet") {
            EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [](const Node& n) {
                return n.role == QAccessible::Dialog && !n.name.isEmpty();
            })) << stop;
        }
        if (stop == "announcements") {
            EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [](const Node& n) {
                return n.role == QAccessible::ListItem && n.name.contains("关于冬季安全行车的通知");
            }));
        }
    });
    EXPECT_GT(stops, 35);
}

// The password field's value is read out as dots, never as what was typed.
TEST_F(AccessibilityTree, APasswordIsNeverReadOut) {
    step("type #password 123456");
    View* field = ViewFinder::find(window(), "#password");
    ASSERT_NE(field, nullptr);
    auto* iface = QAccessible::queryAccessibleInterface(presenter_->widgetFor(*field));
    ASSERT_NE(iface, nullptr);
    EXPECT_TRUE(iface->state().passwordEdit);
    EXPECT_EQ(iface->text(QAccessible::Value), QString(6, QChar(0x2022)));
    EXPECT_EQ(iface->childCount(), 0) << "the editor inside is not listed beside the field";
}

// The overlay is a busy indicator named "请稍后...", a toast is announced as an alert, and the
// check box and tabs report their state as it changes.
TEST_F(AccessibilityTree, BusyToastsAndStateChangesAreReported) {
    std::vector<QAccessible::Event> events;
    std::vector<QAccessible::State> stateChanges;
    struct Restore {
        ~Restore() { qt::setAnnouncer({}); }
    } restore;
    qt::setAnnouncer([&](QAccessibleEvent& e) {
        events.push_back(e.type());
        if (e.type() == QAccessible::StateChanged)
            stateChanges.push_back(static_cast<QAccessibleStateChangeEvent&>(e).changedStates());
    });
    auto anyStateChange = [&stateChanges](auto pick) {
        return std::any_of(stateChanges.begin(), stateChanges.end(), pick);
    };

    presenter_->sync();
    step("tap #cb");
    EXPECT_TRUE(anyStateChange([](const QAccessible::State& s) { return s.checked; })) << "check box";

    View& screen = *window().topViewController()->view();
    screen::showActivityOrNo(true, screen);
    RunLoop::main().advance(seconds(1));  // faded in
    auto nodes = tree();
    const Node* busy = findNode(nodes, QAccessible::ProgressBar, "请稍后...");
    ASSERT_NE(busy, nullptr);
    EXPECT_TRUE(busy->state.busy);
    screen::showActivityOrNo(false, screen);
    RunLoop::main().advance(seconds(1));

    events.clear();
    step("type #username 10086");
    step("type #password 123456");
    step("tap #loginAction");
    step("wait 0.5");  // the toast fades in
    EXPECT_GE(std::count(events.begin(), events.end(), QAccessible::Alert), 1) << "the toast 登录成功";
    step("wait 3");
    step("menu left");
    step("tap 运营情况");
    stateChanges.clear();
    step("tap #tmplan");
    EXPECT_TRUE(anyStateChange([](const QAccessible::State& s) { return s.selected; })) << "the chosen tab";
    nodes = tree();
    const Node* tab = findNode(nodes, QAccessible::PageTab, "明日未发车");
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(tab->state.selected);
}

}  // namespace
}  // namespace busdesk
