#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace busdesk {

class View;
class Window;

// Finds views the way scripts name them:
//   "#username"   the first visible view with that identifier, in screen order;
//   "#btnDetail@3" the third such view (counting from 1);
//   anything else a visible text: a label's text, a button's title, a field's text or
//   placeholder, a row's text. Exact matches win over matches containing the text.
// Screen order is depth-first, children bottom to top, so later hits lie on top.
class ViewFinder {
  public:
    // Every visible view under `root` in screen order.
    static std::vector<View*> visibleViews(View& root);
    static std::vector<View*> withIdentifier(View& root, const std::string& identifier);
    static View* find(View& root, const std::string& selector);
    // Parses "#id@N" into ("id", N); plain "#id" gives N = 1; a text selector gives nothing.
    static std::optional<std::pair<std::string, int>> parseIdSelector(const std::string& selector);
    // First visible view under `root` (in screen order) that `pred` accepts.
    static View* first(View& root, const std::function<bool(View&)>& pred);
    // Topmost (last in screen order) visible view that `pred` accepts.
    static View* last(View& root, const std::function<bool(View&)>& pred);
};

}  // namespace busdesk
