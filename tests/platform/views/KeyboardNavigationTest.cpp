#include <gtest/gtest.h>

#include "platform/views/AlertView.h"
#include "platform/views/Button.h"
#include "platform/views/KeyboardNavigation.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/PickerView.h"
#include "platform/views/TableView.h"
#include "platform/views/TableViewCell.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewController.h"
#include "platform/views/Window.h"

namespace busdesk {
namespace {

constexpr KeyEvent kTab{Key::Tab};
constexpr KeyEvent kShiftTab{Key::Tab, true};
constexpr KeyEvent kEnter{Key::Return};
constexpr KeyEvent kSpace{Key::Space};
constexpr KeyEvent kEsc{Key::Escape};
constexpr KeyEvent kUp{Key::Up};
constexpr KeyEvent kDown{Key::Down};

class KeyRows : public TableViewDataSource, public TableViewDelegate {
  public:
    int numberOfRows(TableView&, int) override { return 4; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        auto cell = tv.dequeueReusableCell("row");
        if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Default, "row");
        cell->textLabel().setText("row " + std::to_string(ip.row));
        // Something tappable inside a row: still no stop of its own.
        cell->addTapHandler([](View&) {});
        return cell;
    }
    void didSelectRow(TableView&, IndexPath ip) override { selected.push_back(ip.row); }
    std::vector<int> selected;
};

// Added to the view in an order unlike the reading order: the keyboard must go by the places.
class KeyFormScreen : public ViewController {
  public:
    void viewDidLoad() override {
        auto add = [this](const std::shared_ptr<View>& v) {
            view()->addSubview(v);
            return v;
        };
        list = std::make_shared<TableView>(Rect{0, 300, 390, 176});
        list->setIdentifier("list");
        list->setDataSource(rows);
        list->setDelegate(rows);
        add(list);
        second = button("second", {10, 100, 100, 40});
        right = button("right", {200, 10, 100, 40});
        field = std::make_shared<TextField>(Rect{10, 14, 150, 40});
        field->setIdentifier("field");
        add(field);
        add(std::make_shared<Label>(Rect{10, 60, 200, 20}, "a label is no stop"));
        button("hidden", {10, 160, 100, 40})->setHidden(true);
        button("disabled", {10, 210, 100, 40})->setEnabled(false);
        go = button("go", {200, 100, 100, 40});
        setMainAction(go);
        list->reloadData();
    }
    std::shared_ptr<Button> button(const std::string& id, Rect frame) {
        auto b = std::make_shared<Button>(frame, id);
        b->setIdentifier(id);
        b->addAction([this, id](View&) { pressed.push_back(id); });
        view()->addSubview(b);
        return b;
    }
    std::shared_ptr<KeyRows> rows = std::make_shared<KeyRows>();
    std::shared_ptr<TableView> list;
    std::shared_ptr<TextField> field;
    std::shared_ptr<Button> second, right, go;
    std::vector<std::string> pressed;
};

struct Keyboard : testing::Test {
    void SetUp() override {
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        screen = std::make_shared<KeyFormScreen>();
        window->setRootViewController(screen);
    }
    std::vector<std::string> order() {
        std::vector<std::string> ids;
        for (View* v : keyboard::focusOrder(*window)) ids.push_back(v->identifier());
        return ids;
    }
    std::string focused() {
        View* v = window->focusedView();
        return v ? v->identifier() : "";
    }
    bool press(KeyEvent key) { return keyboard::handleKey(*window, key); }

    std::shared_ptr<Window> window;
    std::shared_ptr<KeyFormScreen> screen;
};

TEST_F(Keyboard, TabGoesInReadingOrderOverEveryStopAndTheFieldTakesTheTyping) {
    // Top to bottom, a line left to right; labels, hidden and disabled buttons and the rows of
    // the list are no stops, the list is one.
    EXPECT_EQ(order(), (std::vector<std::string>{"field", "right", "second", "go", "list"}));

    EXPECT_TRUE(press(kTab));
    EXPECT_EQ(focused(), "field");
    EXPECT_EQ(window->firstResponder(), screen->field.get());
    EXPECT_TRUE(press(kTab));
    EXPECT_EQ(focused(), "right");
    EXPECT_EQ(window->firstResponder(), nullptr) << "Tab leaves the field";
    EXPECT_TRUE(press(kShiftTab));
    EXPECT_EQ(focused(), "field");
    EXPECT_TRUE(press(kShiftTab));
    EXPECT_EQ(focused(), "list") << "Shift+Tab wraps round to the last stop";
    EXPECT_TRUE(press(kTab));
    EXPECT_EQ(focused(), "field") << "Tab wraps round to the first";
    EXPECT_TRUE(keyboard::focusRing(*window).has_value());

    // A tap elsewhere: the ring goes until the keyboard is used again.
    window->setKeyboardInUse(false);
    EXPECT_FALSE(keyboard::focusRing(*window).has_value());
}

TEST_F(Keyboard, EnterPressesTheFocusedButtonElseTheMainActionAndSpacePressesToo) {
    press(kTab);  // the field
    EXPECT_TRUE(press(kEnter));
    EXPECT_EQ(screen->pressed, (std::vector<std::string>{"go"})) << "Enter in a field is the main action";
    press(kTab);  // "right"
    EXPECT_TRUE(press(kEnter));
    EXPECT_TRUE(press(kSpace));
    EXPECT_EQ(screen->pressed, (std::vector<std::string>{"go", "right", "right"}));

    // A main action that cannot be pressed now is not pressed.
    window->setFocusedView(nullptr);
    screen->go->setEnabled(false);
    EXPECT_FALSE(press(kEnter));
    EXPECT_EQ(screen->pressed.size(), 3U);
    // Nor one under a sheet that takes the touches.
    screen->go->setEnabled(true);
    auto sheet = std::make_shared<View>(window->bounds());
    sheet->setBlocksTouchesBelow(true);
    window->overlayLayer().addSubview(sheet);
    EXPECT_FALSE(press(kEnter));
    EXPECT_EQ(screen->pressed.size(), 3U);
}

TEST_F(Keyboard, ArrowsMoveThroughTheRowsAndEnterOpensTheOneMarked) {
    press(kShiftTab);
    ASSERT_EQ(focused(), "list");
    EXPECT_TRUE(press(kEnter)) << "taken by the list even before a row is marked";
    EXPECT_TRUE(screen->rows->selected.empty());
    EXPECT_EQ(screen->pressed, std::vector<std::string>{}) << "not the main action";

    press(kDown);
    press(kDown);
    ASSERT_TRUE(screen->list->keyboardRow().has_value());
    EXPECT_EQ(screen->list->keyboardRow()->row, 1);
    // The ring marks the row, not the whole list.
    auto ring = keyboard::focusRing(*window);
    ASSERT_TRUE(ring.has_value());
    Rect row = screen->list->rectForRow({0, 1});
    EXPECT_DOUBLE_EQ(ring->y, screen->list->frameInWindow().y + row.y - screen->list->bounds().y);
    EXPECT_DOUBLE_EQ(ring->height, row.height);

    for (int i = 0; i < 6; ++i) press(kDown);
    EXPECT_EQ(screen->list->keyboardRow()->row, 3) << "stays on the last row";
    EXPECT_TRUE(press(kUp));
    EXPECT_TRUE(press(kEnter));
    EXPECT_EQ(screen->rows->selected, (std::vector<int>{2}));
}

TEST_F(Keyboard, AnAlertKeepsTheFocusAndEscIsItsCancel) {
    int chosen = -2;
    auto alert =
        std::make_shared<AlertView>("确认", "删除吗？", std::string("取消"), std::vector<std::string>{"确定"},
                                    [&](AlertView&, int i) { chosen = i; });
    alert->show();
    auto stops = keyboard::focusOrder(*window);
    ASSERT_EQ(stops.size(), 2U);
    for (View* v : stops) EXPECT_TRUE(v->isDescendantOf(*alert)) << v->identifier();
    EXPECT_FALSE(press(kEnter)) << "the screen's main action is under the alert";
    EXPECT_TRUE(press(kEsc));
    EXPECT_EQ(chosen, 0);
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
    EXPECT_TRUE(screen->pressed.empty());

    // Without a cancel button Esc closes nothing, and nothing under the alert goes back.
    auto nav = std::make_shared<NavigationController>(std::make_shared<KeyFormScreen>());
    window->setRootViewController(nav);
    nav->pushViewController(std::make_shared<KeyFormScreen>(), false);
    auto notice =
        std::make_shared<AlertView>("提示", "已保存", std::nullopt, std::vector<std::string>{"确定"});
    notice->show();
    EXPECT_FALSE(press(kEsc));
    EXPECT_EQ(AlertView::visibleAlerts().size(), 1U);
    EXPECT_EQ(nav->viewControllers().size(), 2U);
    press(kTab);
    EXPECT_TRUE(press(kEnter)) << "its button is reached with Tab";
    EXPECT_TRUE(AlertView::visibleAlerts().empty());

    // Then Esc goes back one screen, and at the first screen there is nowhere to go.
    EXPECT_TRUE(press(kEsc));
    EXPECT_EQ(nav->viewControllers().size(), 1U);
    EXPECT_FALSE(press(kEsc));
}

TEST_F(Keyboard, AnEscapeHandlerClosesWhatItBelongsToAndAShortcutPressesItsButton) {
    int menus = 0, closes = 0;
    auto menuButton = screen->button("menuButton", {10, 250, 40, 40});
    menuButton->setKeyboardShortcut(KeyEvent{Key::F2});
    menuButton->addAction([&](View&) { ++menus; });
    EXPECT_TRUE(press(KeyEvent{Key::F2}));
    EXPECT_FALSE(press(KeyEvent{Key::F3}));
    EXPECT_EQ(menus, 1);

    auto menu = std::make_shared<View>(window->bounds());
    menu->setBlocksTouchesBelow(true);
    menu->setEscapeHandler([&, weak = std::weak_ptr<View>(menu)] {
        ++closes;
        if (auto m = weak.lock()) m->removeFromSuperview();
        return true;
    });
    window->overlayLayer().addSubview(menu);
    EXPECT_FALSE(press(KeyEvent{Key::F2})) << "the button is out of reach under the menu";
    EXPECT_TRUE(press(kEsc));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(menus, 1);
    EXPECT_TRUE(press(KeyEvent{Key::F2}));
    EXPECT_EQ(menus, 2);
}

TEST(KeyboardWheel, UpAndDownTurnTheChosenWheelOneRowAndStopAtItsEnds) {
    PickerView picker(Rect{0, 0, 200, 180});
    picker.setColumns({{"2013", "2014"}, {"01", "02", "03"}});
    std::vector<std::pair<int, int>> picks;
    picker.setSelectHandler([&](PickerView&, int row, int component) { picks.emplace_back(row, component); });
    EXPECT_TRUE(picker.acceptsKeyboardFocus());
    EXPECT_TRUE(picker.userKey(kDown));
    EXPECT_TRUE(picker.userKey(kDown)) << "at the end: taken, but no choice again";
    EXPECT_TRUE(picker.userKey(KeyEvent{Key::Right}));
    EXPECT_EQ(picker.keyboardComponent(), 1);
    EXPECT_DOUBLE_EQ(picker.keyboardFocusRect().x, 100);
    EXPECT_TRUE(picker.userKey(kDown));
    EXPECT_TRUE(picker.userKey(kUp));
    EXPECT_TRUE(picker.userKey(kUp));
    EXPECT_EQ(picks, (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {0, 1}}));
    EXPECT_FALSE(picker.userKey(kEnter)) << "Enter is the screen's";
}

TEST(KeyNames, ScriptsNameTheKeysAndAnythingElseIsRefused) {
    EXPECT_EQ(parseKeyName("shift+tab"), (KeyEvent{Key::Tab, true}));
    EXPECT_EQ(parseKeyName("Enter"), (KeyEvent{Key::Return}));
    EXPECT_EQ(parseKeyName("ESC"), (KeyEvent{Key::Escape}));
    EXPECT_EQ(parseKeyName("F3"), (KeyEvent{Key::F3}));
    EXPECT_FALSE(parseKeyName("").has_value());
    EXPECT_FALSE(parseKeyName("Shift+").has_value());
    EXPECT_FALSE(parseKeyName("Ctrl+Tab").has_value());
    for (Key k : {Key::Tab, Key::Return, Key::Space, Key::Escape, Key::Up, Key::Down, Key::Left, Key::Right,
                  Key::F2, Key::F3})
        for (bool shift : {false, true}) EXPECT_EQ(parseKeyName(keyName({k, shift})), (KeyEvent{k, shift}));
}

}  // namespace
}  // namespace busdesk
