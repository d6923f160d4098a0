#pragma once

#include <cstddef>
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
    // written out (\n, \r, \t, \x1b, \u009b; see escapeControlCharacters); a text longer than
    // kMaxShownTextBytes shows its start and how much was left out (boundedText).
    static std::string quote(const std::string& text);

    // A row of a list quotes several texts on one line, each bounded on its own; this bounds
    // whatever a line holds besides them.
    static constexpr std::size_t kMaxLineBytes = 16 * 1024;

  private:
    std::vector<std::string> lines_;
};

}  // namespace busdesk
