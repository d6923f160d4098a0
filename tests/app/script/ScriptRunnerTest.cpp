#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/script/LineInput.h"
#include "app/script/ScriptRunner.h"
#include "platform/DateFormat.h"
#include "platform/RunLoop.h"
#include "platform/views/AlertView.h"
#include "platform/views/NavigationController.h"
#include "platform/views/TableView.h"
#include "platform/views/TextField.h"
#include "platform/views/WebView.h"
#include "platform/views/Window.h"
#include "ui/CheckBoxView.h"
#include "ui/DatePickerSheet.h"
#include "ui/PullToRefresh.h"
#include "ui/ScreenHelpers.h"
#include "ui/SideMenu.h"

namespace busdesk {
namespace {

// A small app built the way screens are: a list behind a side menu, a detail screen, a form with
// a date field that opens a picker sheet, an alert.
class DetailScreen : public ViewController {
  public:
    explicit DetailScreen(std::string text) : text_(std::move(text)) {}
    void viewDidLoad() override {
        screen::setNavTitleBarWithLeftBTAndTitle(*this, "详情");
        view()->addSubview(std::make_shared<Label>(Rect{10, 10, 300, 30}, "内容：" + text_));
    }

  private:
    std::string text_;
};

class ListScreen : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    void viewDidLoad() override {
        screen::setNavTitleBar(*this, "公告通知");
        list_ = std::make_shared<TableView>(view()->bounds());
        list_->setIdentifier("tbList");
        view()->addSubview(list_);
        list_->setDataSource(self<ListScreen>());
        list_->setDelegate(self<ListScreen>());
        refresh();
        auto pulled = whileAlive<ListScreen>([](ListScreen& s) {
            s.refresh();
            pullToRefreshView(*s.list_)->stopAnimating();
        });
        addPullToRefreshWithActionHandler(*list_,
                                          [pulled] { RunLoop::main().postDelayed(seconds(2), pulled); });
    }
    void refresh() {
        ++loads;
        screen::showActivityOrNo(true, *view());
        // An answer a moment later, as a request would bring it.
        RunLoop::main().post(whileAlive<ListScreen>([](ListScreen& s) {
            s.rows_ = 60 + s.loads;
            screen::showActivityOrNo(false, *s.view());
            s.list_->reloadData();
        }));
    }
    int numberOfRows(TableView&, int) override { return rows_; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& tv, IndexPath ip) override {
        auto cell = tv.dequeueReusableCell("news");
        if (!cell) cell = std::make_shared<TableViewCell>(CellStyle::Subtitle, "news");
        cell->textLabel().setText("公告 " + std::to_string(ip.row + 1));
        cell->detailTextLabel().setText("2014-05-" + std::to_string(ip.row % 28 + 1));
        return cell;
    }
    void didSelectRow(TableView& tv, IndexPath ip) override {
        tv.deselectRow(ip, true);
        navigationController()->pushViewController(
            std::make_shared<DetailScreen>("公告 " + std::to_string(ip.row + 1)), true);
    }
    int loads = 0;

  private:
    std::shared_ptr<TableView> list_;
    int rows_ = 0;
};

class FormScreen : public ViewController, public TextFieldDelegate {
  public:
    void viewDidLoad() override {
        screen::setNavTitleBar(*this, "考勤信息");
        start_ = std::make_shared<TextField>(Rect{10, 10, 200, 30});
        start_->setIdentifier("tf_Btime");
        start_->setDelegate(self<FormScreen>());
        view()->addSubview(start_);
        auto search = std::make_shared<Button>(Rect{10, 60, 100, 40}, "查询");
        search->setIdentifier("search");
        search->addAction(action(&FormScreen::search));
        view()->addSubview(search);
    }
    bool textFieldShouldBeginEditing(TextField&) override {
        DatePickerSheet::showPickerWithTitle("起始日期", DatePickerMode::Date,
                                             *parseDate("2014-05-01", "yyyy-MM-dd"), weak_from_this(),
                                             whileAlive<FormScreen>([](FormScreen& s, Date d, View*) {
                                                 s.start_->setText(formatDate(d, "yyyy-MM-dd"));
                                             }),
                                             start_);
        return false;
    }
    void search() {
        if (start_->text().empty()) return screen::setAlertInfo("请输入起始日期！", *view());
        auto alert = std::make_shared<AlertView>("温馨提示", "查询 " + start_->text(), std::string("取消"),
                                                 std::vector<std::string>{"确定"}, [this](AlertView&, int i) {
                                                     if (i == 1) screen::setAlertInfo("已确定", *view());
                                                 });
        alert->show();
    }

  private:
    std::shared_ptr<TextField> start_;
};

class MenuScreen : public ViewController, public TableViewDataSource, public TableViewDelegate {
  public:
    void viewDidLoad() override {
        table_ = std::make_shared<TableView>(view()->bounds());
        table_->setIdentifier("menuTable");
        view()->addSubview(table_);
        table_->setDataSource(self<MenuScreen>());
        table_->setDelegate(self<MenuScreen>());
    }
    int numberOfRows(TableView&, int) override { return 2; }
    std::shared_ptr<TableViewCell> cellForRow(TableView&, IndexPath ip) override {
        auto cell = std::make_shared<TableViewCell>(CellStyle::Default, "");
        cell->textLabel().setText(ip.row == 0 ? "公告通知" : "考勤信息");
        return cell;
    }
    void didSelectRow(TableView& tv, IndexPath ip) override {
        tv.deselectRow(ip, true);
        auto side = sideMenuViewController(*this);
        std::shared_ptr<ViewController> next;
        if (ip.row == 0)
            next = std::make_shared<ListScreen>();
        else
            next = std::make_shared<FormScreen>();
        side->setContentViewController(std::make_shared<NavigationController>(next), true);
        side->hideMenuViewController();
    }

  private:
    std::shared_ptr<TableView> table_;
};

class ScriptRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setDeviceTimeZone("Asia/Shanghai");
        RunLoop::main().useManualClock();
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        list = std::make_shared<ListScreen>();
        auto shell =
            std::make_shared<SideMenu>(std::make_shared<NavigationController>(list),
                                       std::make_shared<MenuScreen>(), std::make_shared<ViewController>());
        window->setRootViewController(shell);
    }
    void TearDown() override { RunLoop::main().advance(seconds(10)); }

    int run(const std::string& script) {
        std::istringstream in(script);
        ScriptRunner runner(window, out);
        return runner.runScript(in);
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<ListScreen> list;
    std::ostringstream out;
};

TEST_F(ScriptRunnerTest, AScriptWalksTheDemoAppEndToEnd) {
    int status = run(R"(# the list is loaded behind the overlay, then shown
expect list #tbList: 61 rows
tap 公告 3
expect 内容：公告 3
back
expect "公告通知"
# rows below the fold are reached by their text
tap 公告 58
expect 内容：公告 58
home
pull
expect refresh: loading
wait 2
expect list #tbList: 62 rows
menu left
tap 考勤信息
tap #search
expect toast: "请输入起始日期！"
tap #tf_Btime
expect picker: "起始日期" 2014-05-01
pick 2014-05-20
tap 查询
alert 确定
dump
quit
expect this line is never reached
)");
    EXPECT_EQ(status, 0) << out.str();
    std::string dump = out.str();
    EXPECT_NE(
        dump.find("bar: [#presentLeftMenuViewController] \"考勤信息\" [#presentRightMenuViewController]\n"
                  "field #tf_Btime: \"2014-05-20\"\n"
                  "button #search: \"查询\"\n"),
        std::string::npos)
        << dump;
    EXPECT_NE(dump.find("toast: \"已确定\""), std::string::npos);
    EXPECT_EQ(list->loads, 2);
}

TEST_F(ScriptRunnerTest, FailuresStopTheScriptWithStatusOneAndSayWhy) {
    EXPECT_EQ(run("expect 不存在的文字\n"), 1);
    EXPECT_NE(out.str().find("line 1: expected to see 不存在的文字"), std::string::npos);
    out.str("");
    EXPECT_EQ(run("tap #nothing\n"), 1);
    EXPECT_NE(out.str().find("no visible view matches #nothing"), std::string::npos);
    out.str("");
    EXPECT_EQ(run("wait soon\n"), 1);
    EXPECT_EQ(run("wait 1e30\n"), 1);  // more than the clock can count
    EXPECT_EQ(run("frobnicate\n"), 1);
    EXPECT_EQ(run("cancel\n"), 1);
}

TEST_F(ScriptRunnerTest, TapsUnderTheBusyOverlayAreRefused) {
    ASSERT_EQ(run("wait 0\n"), 0);
    screen::showActivityOrNo(true, *list->view());
    out.str("");
    EXPECT_EQ(run("tap 公告 1\n"), 1);
    EXPECT_NE(out.str().find("covered"), std::string::npos) << out.str();
}

// Splits what an interactive session printed at its prompts.
std::vector<std::string> answers(const std::string& printed) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t at; (at = printed.find("> ", from)) != std::string::npos; from = at + 2)
        out.push_back(printed.substr(from, at - from));
    out.push_back(printed.substr(from));
    return out;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(ScriptRunnerTest, AtTheTerminalTheAppsDelaysPassOnTheirOwnAndEachScreenPrintsOnce) {
    std::istringstream in("pull\ndump\nhelp\nbogus\nquit\n");
    ScriptRunner runner(window, out);
    EXPECT_EQ(runner.runInteractive(in), 0);
    auto a = answers(out.str());
    ASSERT_EQ(a.size(), 6u) << out.str();
    // The first screen says how to learn the commands.
    EXPECT_NE(a[0].find("type help"), std::string::npos);
    EXPECT_NE(a[0].find("61 rows"), std::string::npos);
    // The list's two-second pause after a pull needs no `wait`.
    EXPECT_NE(a[1].find("62 rows"), std::string::npos) << a[1];
    EXPECT_EQ(a[1].find("refresh: loading"), std::string::npos) << a[1];
    // dump prints the screen once, help the commands and no screen.
    EXPECT_EQ(count(a[2], "bar:"), 1u) << a[2];
    EXPECT_NE(a[3].find("docs/headless.md"), std::string::npos);
    EXPECT_NE(a[3].find("read [SEL]"), std::string::npos);
    EXPECT_EQ(a[3].find("bar:"), std::string::npos);
    // An error is followed by the screen, so the person sees where they are.
    EXPECT_NE(a[4].find("error: unknown command: bogus"), std::string::npos);
    EXPECT_EQ(count(a[4], "bar:"), 1u);
}

TEST_F(ScriptRunnerTest, ScriptsKeepVirtualTime) {
    EXPECT_EQ(run("pull\nexpect list #tbList: 62 rows\n"), 1) << out.str();
    out.str("");
    EXPECT_EQ(run("pull\nwait 2\nexpect list #tbList: 62 rows\n"), 0) << out.str();
}

TEST_F(ScriptRunnerTest, ReadPrintsThePagesWholeTextWrappedToTheWidth) {
    std::string body;
    for (int i = 1; i <= 30; ++i) body += "<p>第" + std::to_string(i) + "条：严格检查，及时整改。</p>";
    auto page = std::make_shared<WebView>(Rect{0, 0, 390, 600});
    page->setIdentifier("webV");
    page->loadHTMLString(body + "<p>the end of a rather long line in plain English words</p>", "");
    std::ostringstream fail;
    {
        ScriptRunner runner(window, fail);
        auto r = runner.execute("read");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, "no page is shown here");
    }
    list->view()->addSubview(page);
    ScriptRunner runner(window, out);
    runner.setTextWidth(24);
    auto r = runner.execute("read");
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(r.printed);
    std::string text = out.str();
    // Past the dump's 200 bytes, to the last line.
    EXPECT_NE(text.find("第30条"), std::string::npos);
    EXPECT_NE(text.find("the end of a rather"), std::string::npos);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        int cells = 0;
        for (unsigned char c : line)
            if ((c & 0xC0) != 0x80) cells += c >= 0xE0 ? 2 : 1;
        EXPECT_LE(cells, 24) << line;
    }
    EXPECT_FALSE(runner.execute("read #tbList").ok);
}

TEST(TerminalText, WrapsByCellsKeepsWordsAndEscapesControlCharacters) {
    // Chinese takes two cells a character.
    EXPECT_EQ(ScriptRunner::wrapForTerminal("一二三四五六", 10), "一二三四五\n六\n");
    // A word that does not fit goes to the next line whole.
    EXPECT_EQ(ScriptRunner::wrapForTerminal("read the whole bulletin", 12), "read the\nwhole\nbulletin\n");
    EXPECT_EQ(ScriptRunner::wrapForTerminal("a\nb", 10), "a\nb\n");
    // Nothing from the server reaches the terminal as a control sequence.
    std::string shown = ScriptRunner::wrapForTerminal("x\x1b[2Jy\x07", 40);
    EXPECT_EQ(shown.find('\x1b'), std::string::npos);
    EXPECT_EQ(shown.find('\x07'), std::string::npos);
    EXPECT_EQ(shown, "x\\x1B[2Jy\\x07\n");
    // A direction override would show the rest of the line reversed.
    EXPECT_EQ(ScriptRunner::wrapForTerminal("bill\u202Efdp.exe", 40), "bill\\u202Efdp.exe\n");
    // Broken UTF-8 shows as the replacement character.
    EXPECT_EQ(ScriptRunner::wrapForTerminal("a\xff", 10), "a\xEF\xBF\xBD\n");
}

TEST_F(ScriptRunnerTest, HomeOnATopLevelScreenReachesTheHomePage) {
    ScriptRunner runner(window, out);
    RunLoop::main().runUntilIdle();
    auto r = runner.execute("home");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "already at the first screen");
    int calls = 0;
    runner.setHomeAction([&] {
        ++calls;
        return true;
    });
    EXPECT_TRUE(runner.execute("home").ok);
    EXPECT_EQ(calls, 1);
    // A pushed screen goes back to its list first, as its home button does.
    ASSERT_TRUE(runner.execute("tap 公告 3").ok);
    EXPECT_TRUE(runner.execute("home").ok);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(runner.execute("expect \"公告通知\"").ok);
}

// What a line editor is handed: the lines to read, and what it is asked to keep.
class RecordedInput : public LineInput {
  public:
    explicit RecordedInput(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    std::optional<std::string> readLine(const std::string&) override {
        if (next_ >= lines_.size()) return std::nullopt;
        return lines_[next_++];
    }
    void remember(const std::string& line) override { kept.push_back(line); }
    std::vector<std::string> kept;

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

TEST_F(ScriptRunnerTest, TheTerminalNeverKeepsWhatWasTypedIntoAPasswordField) {
    auto pin = std::make_shared<TextField>(Rect{10, 200, 200, 30});
    pin->setIdentifier("pin");
    pin->setPlaceholder("请输入口令");
    pin->setSecureTextEntry(true);
    list->view()->addSubview(pin);
    ScriptRunner runner(window, out);
    RunLoop::main().runUntilIdle();
    // A secure field on the screen, by identifier or by its placeholder.
    EXPECT_EQ(runner.lineForHistory("type #pin 123456"), "type #pin ***");
    EXPECT_EQ(runner.lineForHistory("type 请输入口令 123456"), "type 请输入口令 ***");
    // A selector naming a password needs no field on the screen to be masked.
    EXPECT_EQ(runner.lineForHistory("type #password 123456"), "type #password ***");
    EXPECT_EQ(runner.lineForHistory("type #tf_oldPassword \"a b\""), "type #tf_oldPassword ***");
    EXPECT_EQ(runner.lineForHistory("type \"旧 密码\" 123"), "type \"旧 密码\" ***");
    // Everything else is kept as typed.
    EXPECT_EQ(runner.lineForHistory("type #tbList 10086"), "type #tbList 10086");
    EXPECT_EQ(runner.lineForHistory("tap #pin"), "tap #pin");
    EXPECT_EQ(runner.lineForHistory("expect password"), "expect password");

    RecordedInput input({"type #pin 654321", "dump", "  ", "tap 公告 2"});
    EXPECT_EQ(runner.runInteractive(input), 0);
    EXPECT_EQ(input.kept, (std::vector<std::string>{"type #pin ***", "dump", "  ", "tap 公告 2"}));
    EXPECT_EQ(pin->text(), "654321");  // the field itself got the password
    EXPECT_EQ(out.str().find("654321"), std::string::npos);
}

TEST_F(ScriptRunnerTest, CompletionOffersCommandsThenWhatTheScreenHolds) {
    ScriptRunner runner(window, out);
    RunLoop::main().runUntilIdle();
    auto all = runner.completions("");
    EXPECT_EQ(all.size(), 18u);
    for (const auto& command : all) {
        // Each offered command is one the runner knows and help explains.
        EXPECT_NE(ScriptRunner::helpText().find("  " + command), std::string::npos) << command;
        if (command == "quit" || command == "tap") continue;
        auto r = runner.execute(command);
        EXPECT_EQ(r.message.rfind("unknown command", 0), std::string::npos) << command;
    }
    EXPECT_EQ(runner.completions("pu"), std::vector<std::string>{"pull"});
    EXPECT_EQ(runner.completions("menu "), (std::vector<std::string>{"hide", "left", "right"}));
    EXPECT_EQ(runner.completions("menu ri"), std::vector<std::string>{"right"});
    EXPECT_TRUE(runner.completions("zz").empty());
    EXPECT_EQ(runner.completions("key Sh"), std::vector<std::string>{"Shift+Tab"});
    // A key the window has not, or a count out of range, is refused before anything is pressed.
    EXPECT_FALSE(runner.execute("key Ctrl+Q").ok);
    EXPECT_FALSE(runner.execute("key Tab 0").ok);
    EXPECT_FALSE(runner.execute("key Tab 2x").ok);

    ASSERT_TRUE(runner.execute("menu left").ok);
    ASSERT_TRUE(runner.execute("tap 考勤信息").ok);
    auto ids = runner.completions("tap #");
    EXPECT_NE(std::find(ids.begin(), ids.end(), "#search"), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), "#tf_Btime"), ids.end());
    for (const auto& id : ids) EXPECT_EQ(id[0], '#') << id;
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(runner.completions("tap #se"), std::vector<std::string>{"#search"});
    EXPECT_EQ(runner.completions("type #tf_"), std::vector<std::string>{"#tf_Btime"});
    // Only a command's first word: a typed text is the user's own.
    EXPECT_TRUE(runner.completions("type #tf_Btime #s").empty());

    ASSERT_TRUE(runner.execute("tap #tf_Btime").ok);
    ASSERT_TRUE(runner.execute("pick 2014-05-20").ok);
    ASSERT_TRUE(runner.execute("tap #search").ok);
    EXPECT_EQ(runner.completions("alert "), (std::vector<std::string>{"取消", "确定"}));
    EXPECT_EQ(runner.completions("alert 确"), std::vector<std::string>{"确定"});
}

TEST_F(ScriptRunnerTest, TheEndOfInputEndsThePromptsLine) {
    std::istringstream in("dump\n");
    ScriptRunner runner(window, out);
    EXPECT_EQ(runner.runInteractive(in), 0);
    const std::string text = out.str();
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 3), "> \n");
}

}  // namespace
}  // namespace busdesk
