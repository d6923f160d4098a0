#pragma once

#include <string>
#include <vector>

#include "platform/views/DumpWriter.h"

namespace busdesk {

class View;
class Window;

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
