#pragma once

#include <chrono>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace busdesk {

class Window;
class View;
class LineInput;

// Drives a window from text commands, one a line ('#' starts a comment):
//   tap SEL · type SEL TEXT · pick VALUE · save PATH · cancel · alert TITLE · menu left|right|hide · back ·
//   home · pull · more · wait SECONDS · dump · read [SEL] · expect TEXT · help · quit
// SEL is "#identifier", "#identifier@N" (N-th in screen order, from 1) or a visible text
// (list rows are found by their text even below the fold). After every command the run loop runs
// until idle, bounded by the idle bound of real time. The format is described in docs/headless.md.
class ScriptRunner {
  public:
    struct Outcome {
        bool ok = true;
        bool quit = false;
        std::string message;
        bool printed = false;  // the command printed the screen (or text) itself
    };

    ScriptRunner(std::shared_ptr<Window> window, std::ostream& out);

    void setIdleBound(std::chrono::milliseconds bound) { idleBound_ = bound; }
    // Columns `read` wraps the page text to (the terminal's width).
    void setTextWidth(int columns) { textWidth_ = columns; }
    // What `home` does on a top-level screen: reach the home page as the menu would. Returns
    // false when there is no home page to reach (nobody signed in).
    void setHomeAction(std::function<bool()> action) { homeAction_ = std::move(action); }
    // The list of commands `help` prints.
    static std::string helpText();
    // A page's text wrapped to `columns` terminal cells (wide characters take two), control
    // characters shown as escapes.
    static std::string wrapForTerminal(const std::string& text, int columns);
    // Runs one line; errors and failed expectations come back as !ok with a message.
    Outcome execute(const std::string& line);
    // A script: stops at quit or at the first failure. Returns the exit status (0 or 1).
    int runScript(std::istream& in);
    // A terminal session: prints the screen after each command and goes on after errors. The
    // app's own short delays (a picture shown for seconds, a list that loads after a pause) are
    // waited out after every command, so a person never needs `wait`. Each line goes to the
    // input's recall as lineForHistory() gives it. At the end of input the prompt's line is ended.
    int runInteractive(LineInput& in);
    // The same over plain lines (a pipe).
    int runInteractive(std::istream& in);

    // What the terminal may remember of a line: a `type` into a password field (a secure field
    // on the screen, or a selector naming a password) keeps "***" in place of the text.
    std::string lineForHistory(const std::string& line) const;
    // Tab completion: the words that may stand where the last word of `typed` (the line up to the
    // cursor) begins: commands for the first word; after tap, type and read the identifiers on
    // the screen ("#search"); after menu its sides; after alert the open alert's buttons. Sorted,
    // each once.
    std::vector<std::string> completions(const std::string& typed) const;

  private:
    Outcome tap(const std::string& selector);
    Outcome type(const std::string& selector, const std::string& text);
    Outcome pick(const std::string& value);
    Outcome save(const std::string& path);
    Outcome cancel();
    Outcome alert(const std::string& title);
    Outcome menu(const std::string& which);
    Outcome back(bool home);
    Outcome key(const std::string& rest);
    Outcome pullOrMore(bool more);
    Outcome wait(const std::string& secondsText);
    Outcome read(const std::string& selector);
    void waitOutFixedDelays();
    View* resolve(const std::string& selector, std::string& error);
    void settle();

    std::shared_ptr<Window> window_;
    std::ostream& out_;
    std::chrono::milliseconds idleBound_{10000};
    int textWidth_ = 80;
    std::function<bool()> homeAction_;
};

}  // namespace busdesk
