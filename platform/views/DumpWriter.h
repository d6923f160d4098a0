#pragma once

#include <string>
#include <vector>

namespace busdesk {

class View;

// Collects the dump lines. Views write one line each through line(); nested content (list rows)
// goes through indented().
class DumpWriter {
  public:
    void line(const std::string& text);
    void indented(const std::string& text);
    const std::vector<std::string>& lines() const { return lines_; }
    // "kind #id", or just "kind" for a view without identifier.
    static std::string head(const std::string& kind, const View& v);
    // Quotes a text for the dump: inside "…", with \" and \\ escaped and control characters
    // written out (\n, \r, \t, \x1b, \u009b; see escapeControlCharacters).
    static std::string quote(const std::string& text);

  private:
    std::vector<std::string> lines_;
};

}  // namespace busdesk
