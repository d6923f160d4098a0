#pragma once

#include <memory>
#include <string>
#include <vector>

namespace busdesk {

class View;
class Window;

// Collects the dump lines. Views write one line each through line(); nested content (list rows)
// goes through indented().
class DumpWriter {
  public:
    void line(std::string text);
    void indented(std::string text);
    const std::vector<std::string>& lines() const { return lines_; }
    // "kind #id", or just "kind" for a view without identifier.
    static std::string head(const std::string& kind, const View& v);
    // Quotes a text for the dump: inside "…", with \" and \\ escaped and control characters
    // written out (\n, \r, \t, \x1b, \u009b; see escapeControlCharacters).
    static std::string quote(const std::string& text);

  private:
    std::vector<std::string> lines_;
};

// The visible screen as text, in the format of docs/headless.md: the window's visible views in
// screen order, then "toast:" lines for the toasts shown since the previous dump (consumed).
class ScreenDump {
  public:
    static constexpr int kMaxRowsPerList = 50;

    static std::string dump(Window& window, bool consumeToasts = true);
    // Lines of one subtree (no toasts), for tests.
    static std::vector<std::string> lines(const View& root);
};

}  // namespace busdesk
