#include "app/script/ScriptRunner.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/script/LineInput.h"
#include "platform/Charset.h"
#include "platform/ConsoleText.h"
#include "platform/DateFormat.h"
#include "platform/RunLoop.h"
#include "platform/views/ActionSheet.h"
#include "platform/views/AlertView.h"
#include "platform/views/DatePicker.h"
#include "platform/views/KeyboardNavigation.h"
#include "platform/views/NavigationController.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/TableView.h"
#include "platform/views/TextField.h"
#include "platform/views/ViewFinder.h"
#include "platform/views/WebView.h"
#include "platform/views/Window.h"
#include "ui/MonthPicker.h"
#include "ui/PickerSheet.h"
#include "ui/PullToRefresh.h"
#include "ui/SaveFileSheet.h"
#include "ui/SideMenu.h"

namespace busdesk {

namespace {
std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Splits off the first word; the rest keeps its inner spaces.
std::pair<std::string, std::string> splitWord(const std::string& s) {
    std::string t = trim(s);
    // A quoted first word may hold spaces: "Select a Block".
    if (!t.empty() && t[0] == '"') {
        auto close = t.find('"', 1);
        if (close != std::string::npos) return {t.substr(1, close - 1), trim(t.substr(close + 1))};
    }
    auto sp = t.find_first_of(" \t");
    if (sp == std::string::npos) return {t, {}};
    return {t.substr(0, sp), trim(t.substr(sp + 1))};
}

std::string unquote(const std::string& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

// A failure message line by line made safe for the terminal: it may quote a selector or a
// screen text that came from the server. Every failure is made so where it is made, so whoever
// prints it (script, interactive mode, the window's script) prints it safely.
std::string printable(const std::string& message) {
    std::string out;
    std::size_t start = 0;
    while (true) {
        auto end = message.find('\n', start);
        out += consoleSafe(message.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return out;
        out += '\n';
        start = end + 1;
    }
}

ScriptRunner::Outcome fail(const std::string& message) {
    return {false, false, printable(message)};
}

std::shared_ptr<SideMenu> findSideMenu(const std::shared_ptr<ViewController>& vc) {
    if (!vc) return nullptr;
    if (auto m = std::dynamic_pointer_cast<SideMenu>(vc)) return m;
    for (auto& c : vc->childViewControllers())
        if (auto m = findSideMenu(c)) return m;
    if (auto p = vc->presentingViewController()) return nullptr;
    return nullptr;
}
}  // namespace

// The longest of the app's own delays that interactive mode waits out on its own (the advertising
// picture's three seconds, a list's pause before it loads, a toast fading).
constexpr auto kImpliedWaitLimit = std::chrono::seconds(15);

ScriptRunner::ScriptRunner(std::shared_ptr<Window> window, std::ostream& out)
    : window_(std::move(window)), out_(out) {}

void ScriptRunner::settle() {
    RunLoop::main().runUntilIdle(idleBound_);
    window_->fitTexts();
}

View* ScriptRunner::resolve(const std::string& selector, std::string& error) {
    View* v = ViewFinder::find(*window_, selector);
    if (!v) error = "no visible view matches " + selector;
    return v;
}

ScriptRunner::Outcome ScriptRunner::execute(const std::string& rawLine) {
    std::string line = trim(rawLine);
    if (line.empty() || line[0] == '#') return {};
    auto [command, rest] = splitWord(line);
    // A command is the person at work, as a touch is; waiting and looking at the screen are not.
    if (command != "wait" && command != "dump" && command != "expect") window_->noteUserActivity();
    // Under a cover (the lock) only the cover can be touched; nothing reaches what lies beneath.
    static const char* const kUnderCover[] = {"pick", "save", "cancel", "alert", "menu",
                                              "back", "home", "pull",   "more"};
    if (window_->isCovered() &&
        std::find(std::begin(kUnderCover), std::end(kUnderCover), command) != std::end(kUnderCover)) {
        settle();
        return fail("the screen is locked: " + command + " reaches nothing under it");
    }
    Outcome result;
    if (command == "tap") {
        result = rest.empty() ? fail("tap needs a selector") : tap(unquote(rest));
    } else if (command == "type") {
        auto [sel, text] = splitWord(rest);
        result = sel.empty() ? fail("type needs a selector") : type(sel, unquote(text));
    } else if (command == "pick") {
        result = pick(unquote(rest));
    } else if (command == "save") {
        result = rest.empty() ? fail("save needs a path") : save(unquote(rest));
    } else if (command == "cancel") {
        result = cancel();
    } else if (command == "alert") {
        result = alert(unquote(rest));
    } else if (command == "menu") {
        result = menu(rest);
    } else if (command == "key") {
        result = key(rest);
    } else if (command == "back") {
        result = back(false);
    } else if (command == "home") {
        result = back(true);
    } else if (command == "pull") {
        result = pullOrMore(false);
    } else if (command == "more") {
        result = pullOrMore(true);
    } else if (command == "wait") {
        result = wait(rest);
    } else if (command == "dump") {
        settle();
        out_ << ScreenDump::dump(*window_);
        out_.flush();
        return {true, false, {}, true};
    } else if (command == "read") {
        settle();
        return read(unquote(rest));
    } else if (command == "help") {
        out_ << helpText();
        out_.flush();
        return {true, false, {}, true};
    } else if (command == "expect") {
        settle();
        std::string text = unquote(rest);
        std::string screen = ScreenDump::dump(*window_, false);
        if (screen.find(text) == std::string::npos) return fail("expected to see " + text + "\n" + screen);
        return {};
    } else if (command == "quit") {
        return {true, true, {}};
    } else {
        return fail("unknown command: " + command);
    }
    settle();
    return result;
}

ScriptRunner::Outcome ScriptRunner::tap(const std::string& selector) {
    std::string error;
    View* target = ViewFinder::find(*window_, selector);
    if (!target && !ViewFinder::parseIdSelector(selector)) {
        // A row below the fold of a visible list, by its text (topmost list first).
        auto views = ViewFinder::visibleViews(*window_);
        for (auto it = views.rbegin(); it != views.rend(); ++it) {
            auto* table = dynamic_cast<TableView*>(*it);
            if (!table || !table->isReachable()) continue;
            if (auto ip = table->findRowWithText(selector)) {
                if (table->userSelectRow(*ip)) return {};
                return fail("row " + selector + " cannot be selected");
            }
        }
    }
    if (!target) return fail("no visible view matches " + selector);
    if (!target->isReachable()) return fail(selector + " is covered (an overlay or sheet takes the touches)");
    window_->setKeyboardInUse(false);
    auto keep = target->weak_from_this().lock();
    // Like a finger: the innermost view that reacts takes the tap.
    for (View* v = target; v; v = v->superview())
        if (v->userTap()) return {};
    return fail("nothing reacts to a tap on " + selector);
}

ScriptRunner::Outcome ScriptRunner::type(const std::string& selector, const std::string& text) {
    std::string error;
    View* target = resolve(selector, error);
    if (!target) return fail(error);
    if (!target->isReachable()) return fail(selector + " is covered");
    if (auto* f = dynamic_cast<TextField*>(target)) {
        if (!f->userType(text)) return fail(selector + " does not take text");
        return {};
    }
    if (auto* t = dynamic_cast<TextView*>(target)) {
        if (!t->userType(text)) return fail(selector + " does not take text");
        return {};
    }
    return fail(selector + " is not a text field");
}

ScriptRunner::Outcome ScriptRunner::pick(const std::string& value) {
    auto sheets = PickerSheet::visibleSheets();
    if (!sheets.empty()) {
        auto sheet = sheets.back();
        if (!sheet->pickValue(value)) return fail("the open picker has no value " + value);
        sheet->userPressDone();
        return {};
    }
    // An inline wheel on the screen.
    if (auto* v =
            ViewFinder::last(*window_, [](View& x) { return dynamic_cast<MonthPicker*>(&x) != nullptr; })) {
        int y = 0, m = 0;
        if (std::sscanf(value.c_str(), "%d-%d", &y, &m) != 2) return fail("a month is written yyyy-MM");
        if (!static_cast<MonthPicker*>(v)->userSelectMonth(y, m)) return fail("month out of range: " + value);
        return {};
    }
    if (auto* v =
            ViewFinder::last(*window_, [](View& x) { return dynamic_cast<DatePicker*>(&x) != nullptr; })) {
        auto d = parseDate(value, "yyyy-MM-dd");
        if (!d) return fail("a date is written yyyy-MM-dd");
        static_cast<DatePicker*>(v)->userSetDate(*d);
        return {};
    }
    if (auto* v =
            ViewFinder::last(*window_, [](View& x) { return dynamic_cast<PickerView*>(&x) != nullptr; })) {
        auto* p = static_cast<PickerView*>(v);
        for (int c = 0; c < p->numberOfComponents(); ++c)
            if (auto row = p->rowWithTitle(value, c)) {
                p->userSelectRow(*row, c);
                return {};
            }
        return fail("the picker has no row " + value);
    }
    return fail("no picker is open");
}

ScriptRunner::Outcome ScriptRunner::save(const std::string& path) {
    auto sheet = SaveFileSheet::openSheet();
    if (!sheet) return fail("no save sheet is open");
    if (!sheet->save(path)) return fail("save needs a path");
    return {};
}

ScriptRunner::Outcome ScriptRunner::cancel() {
    auto sheets = PickerSheet::visibleSheets();
    if (!sheets.empty()) {
        if (sheets.back()->hideCancel()) return fail("the open picker has no Cancel button");
        sheets.back()->userPressCancel();
        return {};
    }
    auto actionSheets = ActionSheet::visibleSheets();
    if (!actionSheets.empty()) {
        auto s = actionSheets.back();
        if (s->cancelButtonIndex() < 0) return fail("the sheet has no cancel button");
        s->dismissWithClickedButtonIndex(s->cancelButtonIndex());
        return {};
    }
    auto alerts = AlertView::visibleAlerts();
    if (!alerts.empty()) {
        auto a = alerts.back();
        if (a->cancelButtonIndex() < 0) return fail("the alert has no cancel button");
        a->dismissWithClickedButtonIndex(a->cancelButtonIndex());
        return {};
    }
    return fail("nothing to cancel");
}

ScriptRunner::Outcome ScriptRunner::alert(const std::string& title) {
    auto alerts = AlertView::visibleAlerts();
    if (!alerts.empty()) {
        auto a = alerts.back();
        if (auto i = a->indexOfButton(title)) {
            a->dismissWithClickedButtonIndex(*i);
            return {};
        }
        return fail("the alert has no button " + title);
    }
    auto sheets = ActionSheet::visibleSheets();
    if (!sheets.empty()) {
        auto s = sheets.back();
        if (auto i = s->indexOfButton(title)) {
            s->dismissWithClickedButtonIndex(*i);
            return {};
        }
        return fail("the sheet has no button " + title);
    }
    return fail("no alert is open");
}

ScriptRunner::Outcome ScriptRunner::menu(const std::string& which) {
    auto side = findSideMenu(window_->rootViewController());
    if (!side) return fail("there is no side menu");
    if (window_->topViewController() != window_->rootViewController())
        return fail("a screen covers the side menu");
    if (which == "left")
        side->presentLeftMenuViewController();
    else if (which == "right")
        side->presentRightMenuViewController();
    else if (which == "hide" || which.empty())
        side->hideMenuViewController();
    else
        return fail("menu left, menu right or menu hide");
    return {};
}

ScriptRunner::Outcome ScriptRunner::back(bool home) {
    // The way Esc goes back (the screen's own button, its stack, a presented screen).
    if (keyboard::goBack(*window_, home)) return {};
    auto top = window_->topViewController();
    if (home && homeAction_ && top == window_->rootViewController() && homeAction_()) return {};
    return fail(home ? "already at the first screen" : "nothing to go back to");
}

ScriptRunner::Outcome ScriptRunner::key(const std::string& rest) {
    auto [name, countText] = splitWord(rest);
    auto event = parseKeyName(name);
    if (!event) return fail("key Tab, Shift+Tab, Enter, Space, Esc, Up, Down, Left, Right, F2 or F3");
    int count = 1;
    if (!countText.empty()) {
        auto text = trim(countText);
        auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (ec != std::errc() || ptr != text.data() + text.size() || count < 1 || count > 100)
            return fail("key NAME [TIMES]: TIMES from 1 to 100");
    }
    for (int i = 0; i < count; ++i) {
        if (!keyboard::handleKey(*window_, *event)) return fail(keyName(*event) + " does nothing here");
        settle();
    }
    return {};
}

ScriptRunner::Outcome ScriptRunner::pullOrMore(bool more) {
    View* v = ViewFinder::last(*window_, [more](View& x) {
        auto* sv = dynamic_cast<ScrollView*>(&x);
        if (!sv || !sv->isReachable()) return false;
        return more ? infiniteScrollingView(*sv) != nullptr : pullToRefreshView(*sv) != nullptr;
    });
    if (!v) return fail(more ? "no list loads more here" : "no list refreshes here");
    auto* sv = static_cast<ScrollView*>(v);
    if (more)
        sv->userScrollToEnd();
    else
        sv->userPull();
    return {};
}

ScriptRunner::Outcome ScriptRunner::wait(const std::string& secondsText) {
    double s = 0;
    auto text = trim(secondsText);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), s);
    // At most a day: the clock counts nanoseconds in 64 bits, and a longer wait would overflow it.
    if (ec != std::errc() || ptr != text.data() + text.size() || !(s >= 0) || !std::isfinite(s) || s > 86400)
        return fail("wait needs a number of seconds, at most 86400");
    auto& loop = RunLoop::main();
    if (loop.clock()->isManual()) {
        loop.advance(seconds(s));
    } else {
        auto until = std::chrono::steady_clock::now() + seconds(s);
        loop.runUntil([&] { return std::chrono::steady_clock::now() >= until; },
                      std::chrono::duration_cast<std::chrono::milliseconds>(seconds(s)) +
                          std::chrono::milliseconds(50));
    }
    return {};
}

ScriptRunner::Outcome ScriptRunner::read(const std::string& selector) {
    View* v = nullptr;
    if (selector.empty()) {
        v = ViewFinder::last(*window_, [](View& x) { return dynamic_cast<WebView*>(&x) && x.isReachable(); });
        if (!v) return fail("no page is shown here");
    } else {
        std::string error;
        v = resolve(selector, error);
        if (!v) return fail(error);
    }
    auto* web = dynamic_cast<WebView*>(v);
    if (!web) return fail(selector + " is not a page");
    std::string text = web->plainText();
    if (text.empty()) return fail("the page is empty or still loading");
    out_ << wrapForTerminal(text, textWidth_);
    out_.flush();
    return {true, false, {}, true};
}

void ScriptRunner::waitOutFixedDelays() {
    auto& loop = RunLoop::main();
    auto clock = loop.clock();
    if (!clock || !clock->isManual()) return;
    auto start = clock->now();
    // Every delay of the app is a one-shot timer, so this ends; the bound keeps it so.
    for (int i = 0; i < 200; ++i) {
        auto due = loop.nextTimerDue();
        if (!due || *due - start > kImpliedWaitLimit) break;
        loop.advance(std::max(Clock::Duration::zero(), *due - clock->now()));
        settle();
    }
}

std::string ScriptRunner::helpText() {
    return "Commands (one a line; SEL is #identifier, #identifier@N or a text on the screen):\n"
           "  tap SEL           tap a button, a list row, a field, a check box\n"
           "  type SEL TEXT     put TEXT into a field (type #username 10086)\n"
           "  pick VALUE        choose in the open picker (a date yyyy-MM-dd, or a row's text)\n"
           "  save PATH         save to PATH from the open save sheet (cancel closes it)\n"
           "  cancel            cancel the open picker, sheet or alert\n"
           "  alert TITLE       press the alert's (or sheet's) button TITLE\n"
           "  menu left|right|hide   open or close a side menu\n"
           "  key NAME [TIMES]  press a key: Tab, Shift+Tab, Enter, Space, Esc, Up, Down, Left,\n"
           "                    Right, F2 (left menu), F3 (right menu)\n"
           "  back              back one screen\n"
           "  home              the home page\n"
           "  pull              pull the list down to refresh it\n"
           "  more              scroll the list to its end to load more\n"
           "  wait SECONDS      let time pass\n"
           "  read [SEL]        print the whole text of the page on the screen\n"
           "  dump              print the screen again\n"
           "  expect TEXT       check that TEXT is on the screen\n"
           "  help              this list\n"
           "  quit              leave\n"
           "The screen format and every identifier are described in docs/headless.md.\n";
}

namespace {
// Terminal cells one code point takes: East Asian wide and full-width characters take two.
int cellWidth(char32_t c) {
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
        (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
        (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
        (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD))
        return 2;
    return 1;
}

}  // namespace

std::string ScriptRunner::wrapForTerminal(const std::string& text, int columns) {
    columns = std::max(columns, 10);
    std::string out, line;
    int width = 0;
    // Where the current line may break: after its last space, and the width that follows it.
    std::size_t lastSpace = std::string::npos;
    int widthAfterSpace = 0;
    auto flush = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line;
        out += '\n';
        line.clear();
        width = 0;
        lastSpace = std::string::npos;
        widthAfterSpace = 0;
    };
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = Charset::nextCodePoint(text, i);
        if (c == '\n') {
            flush();
            continue;
        }
        if (c == '\r') continue;
        if (c == '\t') c = ' ';
        std::string piece;
        int w = 0;
        if (isTerminalControl(c)) {
            // Never handed raw to the terminal: shown as an escape (a direction control too, which
            // would reorder the rest of the line).
            char buf[8];
            std::snprintf(buf, sizeof buf, c > 0xFF ? "\\u%04X" : "\\x%02X", static_cast<unsigned>(c));
            piece = buf;
            w = static_cast<int>(piece.size());
        } else {
            Charset::appendUTF8(piece, c);
            w = cellWidth(c);
        }
        bool space = c == ' ';
        if (width + w > columns && !line.empty()) {
            if (!space && lastSpace != std::string::npos && w == 1) {
                // Carry the word in progress over to the next line.
                std::string rest = line.substr(lastSpace + 1);
                int restWidth = widthAfterSpace;
                line.resize(lastSpace);
                flush();
                line = rest;
                width = restWidth;
            } else {
                flush();
            }
            if (space) continue;
        }
        line += piece;
        width += w;
        if (space) {
            lastSpace = line.size() - 1;
            widthAfterSpace = 0;
        } else if (w == 2) {
            lastSpace = std::string::npos;  // a wide character may break anywhere
        } else {
            widthAfterSpace += w;
        }
    }
    if (!line.empty()) flush();
    return out;
}

int ScriptRunner::runScript(std::istream& in) {
    std::string line;
    int number = 0;
    settle();
    while (std::getline(in, line)) {
        ++number;
        auto r = execute(line);
        if (!r.ok) {
            out_ << "line " << number << ": " << r.message << "\n";
            out_.flush();
            return 1;
        }
        if (r.quit) return 0;
    }
    return 0;
}

int ScriptRunner::runInteractive(LineInput& in) {
    settle();
    waitOutFixedDelays();
    out_ << ScreenDump::dump(*window_) << "(type help for the commands)\n" << std::flush;
    while (auto line = in.readLine("> ")) {
        // Kept before it runs: a `type` names a field of the screen it was typed at.
        in.remember(lineForHistory(*line));
        auto r = execute(*line);
        if (r.quit) return 0;
        waitOutFixedDelays();
        if (!r.ok) out_ << "error: " << r.message << "\n";
        if (!r.printed || !r.ok) out_ << ScreenDump::dump(*window_);
        out_.flush();
    }
    // Ctrl+D at the prompt: the shell's prompt starts on a line of its own.
    out_ << "\n" << std::flush;
    return 0;
}

int ScriptRunner::runInteractive(std::istream& in) {
    StreamLineInput lines(in, out_);
    return runInteractive(lines);
}

namespace {
// The commands, as completion offers them (help lists them with their arguments).
constexpr const char* kCommandNames[] = {"tap",  "type", "pick", "save",   "cancel", "alert",
                                         "menu", "key",  "back", "home",   "pull",   "more",
                                         "wait", "dump", "read", "expect", "help",   "quit"};

// A selector that names a password by itself: the field may not be on the screen any more.
bool namesPassword(const std::string& selector) {
    std::string lower;
    for (char c : selector) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("password") != std::string::npos || selector.find("密码") != std::string::npos;
}
}  // namespace

std::string ScriptRunner::lineForHistory(const std::string& line) const {
    auto [command, rest] = splitWord(line);
    if (command != "type") return line;
    auto [selector, text] = splitWord(rest);
    if (selector.empty() || text.empty()) return line;
    auto* field = dynamic_cast<TextField*>(ViewFinder::find(*window_, selector));
    if (!(field && field->secureTextEntry()) && !namesPassword(selector)) return line;
    const bool quoted = selector.find_first_of(" \t") != std::string::npos;
    return "type " + (quoted ? "\"" + selector + "\"" : selector) + " ***";
}

std::vector<std::string> ScriptRunner::completions(const std::string& typed) const {
    auto cut = typed.find_last_of(" \t");
    const std::string word = cut == std::string::npos ? typed : typed.substr(cut + 1);
    const std::string before = cut == std::string::npos ? std::string() : trim(typed.substr(0, cut));
    std::vector<std::string> pool;
    if (before.empty()) {
        pool.assign(std::begin(kCommandNames), std::end(kCommandNames));
    } else {
        auto [command, argument] = splitWord(before);
        if (!argument.empty()) return {};  // only a command's first word is completed
        if (command == "tap" || command == "type" || command == "read") {
            for (View* v : ViewFinder::visibleViews(*window_))
                if (!v->identifier().empty()) pool.push_back("#" + v->identifier());
        } else if (command == "menu") {
            pool = {"left", "right", "hide"};
        } else if (command == "key") {
            pool = {"Tab", "Shift+Tab", "Enter", "Space", "Esc", "Up", "Down", "Left", "Right", "F2", "F3"};
        } else if (command == "alert") {
            auto add = [&pool](const auto& panels) {
                if (panels.empty()) return;
                for (int i = 0; i < panels.back()->numberOfButtons(); ++i)
                    pool.push_back(panels.back()->buttonTitleAtIndex(i));
            };
            add(AlertView::visibleAlerts());
            add(ActionSheet::visibleSheets());
        }
    }
    std::vector<std::string> matches;
    for (auto& candidate : pool)
        if (candidate.starts_with(word)) matches.push_back(candidate);
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    return matches;
}

}  // namespace busdesk
