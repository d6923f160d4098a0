#include <gtest/gtest.h>

#include "platform/ConsoleText.h"
#include "platform/RunLoop.h"
#include "platform/views/AlertView.h"
#include "platform/views/Button.h"
#include "platform/views/ImageView.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "platform/views/ViewFinder.h"
#include "platform/views/WebView.h"
#include "platform/views/Window.h"

namespace busdesk {
namespace {

struct Recorder : ViewObserver {
    std::vector<std::string> events;
    void viewAdded(View&, View& child, std::size_t index) override {
        events.push_back("add " + child.identifier() + "@" + std::to_string(index));
    }
    void viewRemoved(View&, View& child) override { events.push_back("remove " + child.identifier()); }
    void viewChanged(View& v, ViewChange what) override {
        if (what == ViewChange::Text) events.push_back("text " + v.identifier());
    }
};

TEST(ViewTreeTest, ObserversSeeInsertionsRemovalsAndChanges) {
    Recorder rec;
    addViewObserver(&rec);
    auto root = std::make_shared<View>();
    auto label = std::make_shared<Label>();
    label->setIdentifier("l");
    root->addSubview(label);
    label->setText("a");
    label->setText("a");  // unchanged: no notification
    auto before = label->revision();
    label->clearNeedsDisplay();
    label->setText("b");
    EXPECT_TRUE(label->needsDisplay());
    EXPECT_GT(label->revision(), before);
    label->removeFromSuperview();
    removeViewObserver(&rec);
    label->setText("c");
    EXPECT_EQ(rec.events, (std::vector<std::string>{"add l@0", "text l", "text l", "remove l"}));
    EXPECT_EQ(label->superview(), nullptr);
}

TEST(ViewTreeTest, ChildrenOutlivingTheirParentForgetIt) {
    auto child = std::make_shared<View>();
    {
        auto parent = std::make_shared<View>();
        parent->addSubview(child);
    }
    EXPECT_EQ(child->superview(), nullptr);
    // A view never becomes its own ancestor.
    auto a = std::make_shared<View>();
    auto b = std::make_shared<View>();
    a->addSubview(b);
    b->addSubview(a);
    EXPECT_EQ(a->superview(), nullptr);
}

TEST(ViewTreeTest, TouchBlockersCoverWhatLiesBelowThemOnly) {
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto screen = std::make_shared<View>(window->bounds());
    window->addSubview(screen);
    auto button = std::make_shared<Button>(Rect{10, 10, 100, 40}, "OK");
    screen->addSubview(button);
    EXPECT_TRUE(button->isReachable());
    auto cover = std::make_shared<View>(screen->bounds());
    cover->setBlocksTouchesBelow(true);
    auto onCover = std::make_shared<Button>(Rect{0, 0, 10, 10}, "X");
    cover->addSubview(onCover);
    screen->addSubview(cover);
    EXPECT_FALSE(button->isReachable());
    EXPECT_TRUE(onCover->isReachable());
    cover->setHidden(true);
    EXPECT_TRUE(button->isReachable());
    // An alert in the window's overlay layer covers every screen.
    auto alert = std::make_shared<AlertView>("提示", "msg", std::string("关闭"), std::vector<std::string>{});
    alert->show();
    EXPECT_FALSE(button->isReachable());
    EXPECT_TRUE(alert->dismissWithClickedButtonIndex(0));
    EXPECT_FALSE(alert->dismissWithClickedButtonIndex(0));
    EXPECT_TRUE(button->isReachable());
}

TEST(ViewTreeTest, AControlRemovedByItsOwnActionFinishesItsTap) {
    // A bar rebuilding its buttons from one of them: the tapped button loses its last owner in
    // the middle of its own tap, and its tap handlers still run after the actions.
    auto bar = std::make_shared<View>(Rect{0, 0, 300, 44});
    int actions = 0, handlers = 0;
    std::weak_ptr<View> watched;
    {
        auto button = std::make_shared<Button>(Rect{0, 0, 60, 44}, "Back");
        watched = button;
        button->addAction([&](View&) {
            ++actions;
            for (auto& child : std::vector<std::shared_ptr<View>>(bar->subviews()))
                child->removeFromSuperview();
            bar->addSubview(std::make_shared<Button>(Rect{0, 0, 60, 44}, "New"));
        });
        button->addTapHandler([&](View&) { ++handlers; });
        bar->addSubview(std::move(button));
    }
    EXPECT_FALSE(watched.expired());
    View* tapped = bar->subviews().front().get();
    EXPECT_TRUE(tapped->userTap());
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(handlers, 1);
    EXPECT_TRUE(watched.expired());
    ASSERT_EQ(bar->subviews().size(), 1u);
    EXPECT_NE(bar->subviews().front().get(), tapped);
}

TEST(ViewTreeTest, AlertButtonsAreIndexedCancelFirstAndCallBackOnce) {
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    std::vector<int> pressed;
    auto alert = std::make_shared<AlertView>("温馨提示", "您确定要下载最新版本", std::string("取消"),
                                             std::vector<std::string>{"确定"},
                                             [&](AlertView&, int i) { pressed.push_back(i); });
    alert->show();
    ASSERT_EQ(AlertView::visibleAlerts().size(), 1u);
    auto lines = ScreenDump::lines(*window);
    EXPECT_EQ(lines.back(), "alert: \"温馨提示\" \"您确定要下载最新版本\" [取消] [确定]");
    // Through its button view, as a tap would.
    auto* ok = ViewFinder::find(*window, "确定");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->userTap());
    EXPECT_EQ(pressed, std::vector<int>{1});
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
    EXPECT_FALSE(alert->dismissWithClickedButtonIndex(5));
}

TEST(ViewTreeTest, FinderSelectsByIdentifierOrdinalAndText) {
    auto root = std::make_shared<View>();
    for (int i = 1; i <= 3; ++i) {
        auto b = std::make_shared<Button>(Rect{}, "详情 " + std::to_string(i));
        b->setIdentifier("btnDetail");
        b->setTag(100 + i);
        root->addSubview(b);
    }
    auto hidden = std::make_shared<Label>(Rect{}, "secret");
    hidden->setHidden(true);
    root->addSubview(hidden);
    ASSERT_TRUE(ViewFinder::find(*root, "#btnDetail@2"));
    EXPECT_EQ(ViewFinder::find(*root, "#btnDetail@2")->tag(), 102);
    EXPECT_EQ(ViewFinder::find(*root, "#btnDetail")->tag(), 101);
    EXPECT_EQ(ViewFinder::find(*root, "#btnDetail@4"), nullptr);
    EXPECT_EQ(ViewFinder::find(*root, "详情 3")->tag(), 103);
    // A partial text matches when nothing matches exactly; hidden views never match.
    EXPECT_NE(ViewFinder::find(*root, "详情"), nullptr);
    EXPECT_EQ(ViewFinder::find(*root, "secret"), nullptr);
    EXPECT_EQ(ViewFinder::parseIdSelector("#a@b"), (std::optional<std::pair<std::string, int>>{{"a@b", 1}}));
    EXPECT_FALSE(ViewFinder::parseIdSelector("#"));
}

TEST(ViewTreeTest, TextFieldAsksItsDelegateBeforeTakingFocus) {
    struct Delegate : TextFieldDelegate {
        bool allow = true;
        int returns = 0, changes = 0;
        bool textFieldShouldBeginEditing(TextField&) override { return allow; }
        bool textFieldShouldReturn(TextField& f) override {
            ++returns;
            f.resignFirstResponder();
            return true;
        }
        void textFieldDidChange(TextField&) override { ++changes; }
    };
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto field = std::make_shared<TextField>(Rect{0, 0, 100, 30});
    field->setIdentifier("tf_Btime");
    window->addSubview(field);
    auto d = std::make_shared<Delegate>();
    field->setDelegate(d);
    d->allow = false;
    EXPECT_TRUE(field->userTap());
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_FALSE(field->userType("x"));
    EXPECT_EQ(field->text(), "");
    d->allow = true;
    EXPECT_TRUE(field->userType("2014-05-01"));
    EXPECT_TRUE(field->isFirstResponder());
    EXPECT_EQ(d->changes, 1);
    field->userPressReturn();
    EXPECT_EQ(d->returns, 1);
    EXPECT_FALSE(field->isFirstResponder());
}

TEST(ViewTreeTest, DumpPrintsAScreenInTheDocumentedForm) {
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto screen = std::make_shared<ViewController>();
    screen->setTitle("登录");
    auto nav = std::make_shared<NavigationController>(screen);
    window->setRootViewController(nav);
    auto v = screen->view();
    auto user = std::make_shared<TextField>(Rect{0, 0, 200, 30});
    user->setIdentifier("username");
    user->setPlaceholder("请输入工号");
    v->addSubview(user);
    auto pass = std::make_shared<TextField>(Rect{0, 40, 200, 30});
    pass->setIdentifier("password");
    pass->setSecureTextEntry(true);
    pass->setText("abc");
    v->addSubview(pass);
    v->addSubview(std::make_shared<Label>(Rect{}, "say \"hi\"\nthere"));
    v->addSubview(std::make_shared<Label>(Rect{}, ""));  // decoration: not printed
    auto login = std::make_shared<Button>(Rect{}, "登录");
    login->setIdentifier("loginAction");
    v->addSubview(login);
    auto web = std::make_shared<WebView>(Rect{});
    web->loadHTMLString("<p>Hello&nbsp;<b>world</b></p><script>x()</script><p>&#20844;&lt;</p>", "http://h/");
    v->addSubview(web);
    window->recordToast("登录成功");
    std::string expected =
        "bar: \"登录\"\n"
        "field #username: \"\" placeholder \"请输入工号\"\n"
        "field #password: \"•••\"\n"
        "label: \"say \\\"hi\\\"\\nthere\"\n"
        "button #loginAction: \"登录\"\n"
        "web: \"Hello world\\n公<\"\n"
        "toast: \"登录成功\"\n";
    EXPECT_EQ(ScreenDump::dump(*window), expected);
    // Toasts are printed once.
    EXPECT_EQ(ScreenDump::dump(*window).find("toast:"), std::string::npos);
}

// A bulletin title is server text: whatever bytes it carries, the terminal gets none it would obey.
TEST(ViewTreeTest, DumpWritesOutControlCharactersOfServerText) {
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto screen = std::make_shared<ViewController>();
    window->setRootViewController(std::make_shared<NavigationController>(screen));
    auto v = screen->view();
    v->addSubview(std::make_shared<Label>(Rect{},
                                          "\x1b[2J通知\x07\xc2\x9b"
                                          "31m"));
    auto picture = std::make_shared<ImageView>(Rect{});
    picture->setIdentifier("ivAdvertise");
    picture->setImageSource("http://h/\x1b]0;x\x07.png?Password=S3cret");
    v->addSubview(picture);
    auto alert = std::make_shared<AlertView>("提示\x1b", "", std::string("取消\x07"),
                                             std::vector<std::string>{}, [](AlertView&, int) {});
    alert->show();
    window->recordToast("完成\r\x1b[1A");
    const std::string dump = ScreenDump::dump(*window);
    EXPECT_NE(dump.find("label: \"\\x1b[2J通知\\x07\\u009b31m\"\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("image #ivAdvertise: none from http://h/\\x1b]0;x\\x07.png?Password=***\n"),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("alert: \"提示\\x1b\" [取消\\x07]\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("toast: \"完成\\r\\x1b[1A\"\n"), std::string::npos) << dump;
    for (std::size_t i = 0; i < dump.size(); ++i) {
        const auto b = static_cast<unsigned char>(dump[i]);
        EXPECT_FALSE((b < 0x20 && b != '\n') || b == 0x7f) << "byte " << i << " of " << dump;
        EXPECT_FALSE(b == 0xc2 && i + 1 < dump.size() && static_cast<unsigned char>(dump[i + 1]) < 0xa0);
    }
    alert->dismissWithClickedButtonIndex(0);
}

TEST(ViewTreeTest, DumpShowsAFewKilobytesOfAHugeTextAndEscapesDirectionControls) {
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto screen = std::make_shared<ViewController>();
    window->setRootViewController(std::make_shared<NavigationController>(screen));
    const std::string title = "通知" + std::string(50000000 - 6, 'x');
    auto huge = std::make_shared<Label>(Rect{}, title);
    screen->view()->addSubview(huge);
    screen->view()->addSubview(std::make_shared<Label>(Rect{}, "invoice\u202Etxt.exe"));
    const std::string dump = ScreenDump::dump(*window);
    EXPECT_LT(dump.size(), 3 * kMaxShownTextBytes) << dump.size();
    EXPECT_NE(dump.find("label: \"通知xxx"), std::string::npos);
    EXPECT_NE(dump.find("xxx…（省略 50.0 MB）\"\n"), std::string::npos);
    EXPECT_NE(dump.find("label: \"invoice\\u202etxt.exe\"\n"), std::string::npos) << dump;
    // Only the dump is cut: the label keeps the whole text.
    EXPECT_EQ(huge->text().size(), title.size());
}

TEST(ViewTreeTest, UncollectedToastsAreBoundedToTheNewest) {
    auto window = std::make_shared<Window>();
    for (int i = 0; i < 5000; ++i) window->recordToast("toast " + std::to_string(i));
    ASSERT_EQ(window->pendingToasts().size(), Window::kMaxRecordedToasts);
    EXPECT_EQ(window->pendingToasts().front(), "toast " + std::to_string(5000 - Window::kMaxRecordedToasts));
    EXPECT_EQ(window->pendingToasts().back(), "toast 4999");
    EXPECT_EQ(window->takeToasts().size(), Window::kMaxRecordedToasts);
    EXPECT_TRUE(window->pendingToasts().empty());
}

TEST(ViewTreeTest, TextMetricIsDeterministicAndRespectsTheBox) {
    EXPECT_DOUBLE_EQ(textWidth("ab", 10), 11);
    EXPECT_DOUBLE_EQ(textWidth("暂无", 14), 28);
    Size s = measureText("暂无数据", 14, {200, 100});
    EXPECT_DOUBLE_EQ(s.width, 56);
    EXPECT_DOUBLE_EQ(s.height, 14 * 1.2);
    // Twenty CJK characters wrap at 200 points: 14 per line.
    Size wrapped = measureText(
        std::string(20 * 3, 'x').replace(0, 60, "一二三四五六七八九十一二三四五六七八九十"), 14, {200, 100});
    EXPECT_LE(wrapped.width, 200);
    EXPECT_DOUBLE_EQ(wrapped.height, 2 * 14 * 1.2);
    Size tall = measureText(std::string(2000, 'a'), 14, {200, 100});
    EXPECT_LE(tall.height, 100);
}

TEST(ViewTreeTest, WebViewResolvesReferencesAndIgnoresLateAnswers) {
    auto web = std::make_shared<WebView>(Rect{});
    web->loadHTMLString("<img src='a.png'>", "http://host:8088/LXVoffice/index.html");
    EXPECT_EQ(web->resolve("a.png"), "http://host:8088/LXVoffice/a.png");
    EXPECT_EQ(web->resolve("/x/b.png"), "http://host:8088/x/b.png");
    EXPECT_EQ(web->resolve("//cdn/c.png"), "http://cdn/c.png");
    std::vector<std::function<void(std::optional<std::string>)>> pending;
    WebView::setLoader([&](const std::string&, std::function<void(std::optional<std::string>)> done) {
        pending.push_back(std::move(done));
    });
    web->loadURL("http://h/one");
    web->loadURL("http://h/two");
    ASSERT_EQ(pending.size(), 2u);
    pending[1]("<p>two</p>");
    pending[0]("<p>one</p>");  // late answer of a replaced load
    EXPECT_EQ(web->plainText(), "two");
    web->loadURL("http://h/three");
    web.reset();
    pending[2]("<p>three</p>");  // the view is gone: nothing happens
    WebView::setLoader({});
}

TEST(ViewTreeTest, PagesAsTextKeepTheNumbersAndMarksOfTheirLists) {
    EXPECT_EQ(
        htmlToPlainText("<p>通知如下：</p><ol><li>提高认识。</li><li>明确责任。</li></ol><p>特此通知</p>"),
        "通知如下：\n1. 提高认识。\n2. 明确责任。\n特此通知");
    EXPECT_EQ(htmlToPlainText("<ul><li>团结</li><li>奉献</li></ul>"), "• 团结\n• 奉献");
    // A list inside an item counts on its own; the outer one goes on where it stopped.
    EXPECT_EQ(htmlToPlainText("<OL start=\"3\"><li>a<ol><li>x</li><li>y</li></ol></li><li>b</li></OL>"),
              "3. a\n1. x\n2. y\n4. b");
    // Stray closing tags and items outside any list neither crash nor number.
    EXPECT_EQ(htmlToPlainText("</ol><li>c</li></ul>"), "• c");
}

// Presentation properties tell the presenter but move nothing in the model: not the frame, not
// what is reachable, not the dump.
TEST(ViewTreeTest, PresentationPropertiesChangeOnlyWhatIsDrawn) {
    auto realClock = RunLoop::main().clock();
    RunLoop::main().useManualClock();
    auto window = std::make_shared<Window>();
    auto card = std::make_shared<Button>(Rect{0, 0, 100, 40}, "确定");
    auto lid = std::make_shared<View>(Rect{0, 0, 100, 40});
    window->addSubview(card);
    window->addSubview(lid);
    std::string before = ScreenDump::dump(*window);
    auto revision = card->revision();

    card->setPresentationOffset(
        PresentationOffset{AnimatedValue::begin(0, 1, seconds(2)), {-50, 10}, {50, 10}});
    card->setShadow(Shadow{Color::black(), 0.4, 3, {0, 1}});
    card->setShadow(Shadow{Color::black(), 0.4, 3, {0, 1}});  // the same again: no change
    card->setZPosition(2);
    card->setShowsActivityIndicator(true);
    EXPECT_EQ(card->revision(), revision + 4);
    EXPECT_EQ(card->presentationOffset()->current().x, -50);
    RunLoop::main().advance(seconds(0.5));
    EXPECT_DOUBLE_EQ(card->presentationOffset()->current().x, -25);
    EXPECT_DOUBLE_EQ(card->presentationOffset()->current().y, 10);
    RunLoop::main().advance(seconds(5));
    EXPECT_DOUBLE_EQ(card->presentationOffset()->current().x, 50);  // held at the end

    EXPECT_EQ(card->frame().x, 0);
    EXPECT_TRUE(card->isReachable());
    EXPECT_EQ(ScreenDump::dump(*window), before);
    RunLoop::main().setClock(realClock);
}

}  // namespace
}  // namespace busdesk
