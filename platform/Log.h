#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace busdesk {

// Console logging of plain lines. Lines go to stderr unless a sink is installed
// (tests install one to read what was logged). Every line passes consoleSafe() first: passwords
// masked, control characters written out (platform/ConsoleText.h).
class Log {
  public:
    using Sink = std::function<void(const std::string&)>;
    static void line(std::string_view text);
    // Returns the previous sink; an empty sink restores stderr.
    static Sink setSink(Sink sink);
    static void setQuiet(bool quiet);
};

}  // namespace busdesk
