#include "app/LaunchOptions.h"

#include <functional>
#include <map>

#include "core/OfficeAddress.h"
#include "platform/DateFormat.h"
#include "platform/Translation.h"
#include "platform/views/TextSize.h"

namespace busdesk {

namespace {

// An address given on the command line: checked as the files' are, except that a user name and
// password may stand in it (nothing of the command line is stored).
bool takeAddress(std::optional<std::string>& into, const std::string& text) {
    auto checked = OfficeAddress::check(text, true);
    into = checked.url;
    return checked.url.has_value();
}

}  // namespace

const char* LaunchOptions::usage() {
    return "usage: busdesk [--server URL] [--culture URL] [--profile DIR] [--now \"yyyy-MM-dd HH:mm:ss\"]\n"
           "               [--lang en|zh_CN] [--text-size PERCENT] [--headless] [--console]\n"
           "               [--script FILE] [--shots DIR]\n"
           "               [--version] [--help]\n"
           "  --server URL    office server base address (default: busdesk.conf, else the built-in one)\n"
           "  --culture URL   culture page base address (default: the office server's)\n"
           "  --profile DIR   keep settings, image cache and data under DIR\n"
           "  --now TIME      start the clock there, for reproducible runs\n"
           "  --lang LANG     the language of the texts: en (English) or zh_CN (Chinese); default: the\n"
           "                  settings screen's choice, else LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
           "  --text-size PERCENT  text at 100, 125, 150, 175 or 200 % for this run (not stored)\n"
           "  --headless      no window: the screen is printed as text on the terminal\n"
           "  --console       print console lines on standard output, not in the log file\n"
           "  --script FILE   run the commands in FILE (see docs/headless.md), then quit\n"
           "  --shots DIR     in the window, \"shot NAME\" script lines write DIR/NAME.png\n"
           "  --version       print the version and quit\n";
}

LaunchOptions LaunchOptions::parse(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return parse(args);
}

LaunchOptions LaunchOptions::parse(const std::vector<std::string>& args) {
    LaunchOptions o;
    using Setter = std::function<bool(LaunchOptions&, const std::string&)>;
    // Options that take a value, and how each value is checked.
    const std::map<std::string, Setter> valued{
        {"--server", [](LaunchOptions& o, const std::string& v) { return takeAddress(o.server, v); }},
        {"--culture", [](LaunchOptions& o, const std::string& v) { return takeAddress(o.culture, v); }},
        {"--profile",
         [](LaunchOptions& o, const std::string& v) {
             if (v.empty()) return false;
             o.profile = v;
             return true;
         }},
        {"--script",
         [](LaunchOptions& o, const std::string& v) {
             if (v.empty()) return false;
             o.script = v;
             return true;
         }},
        {"--shots",
         [](LaunchOptions& o, const std::string& v) {
             if (v.empty()) return false;
             o.shots = v;
             return true;
         }},
        {"--lang",
         [](LaunchOptions& o, const std::string& v) {
             o.lang = translation::spokenLanguage(v);
             return o.lang.has_value();
         }},
        {"--now",
         [](LaunchOptions& o, const std::string& v) {
             o.now = parseDate(v, "yyyy-MM-dd HH:mm:ss");
             return o.now.has_value();
         }},
        {"--text-size",
         [](LaunchOptions& o, const std::string& v) {
             std::string digits = v.ends_with('%') ? v.substr(0, v.size() - 1) : v;
             for (int step : TextSize::kSteps)
                 if (digits == std::to_string(step)) o.textSize = step;
             return o.textSize.has_value();
         }},
    };
    const std::map<std::string, bool LaunchOptions::*> flags{
        {"--headless", &LaunchOptions::headless},
        {"--console", &LaunchOptions::console},
        {"--version", &LaunchOptions::version},
        {"--help", &LaunchOptions::help},
        {"-h", &LaunchOptions::help},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (auto f = flags.find(name); f != flags.end() && !inlineValue) {
            o.*(f->second) = true;
            continue;
        }
        auto v = valued.find(name);
        if (v == valued.end()) {
            o.error = "unknown option: " + args[i];
            return o;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                o.error = name + " needs a value";
                return o;
            }
            inlineValue = args[++i];
        }
        if (!v->second(o, *inlineValue)) {
            o.error = "bad value for " + name + ": \"" + *inlineValue + "\"";
            return o;
        }
    }
    if (o.shots && o.headless) o.error = "--shots needs the window (drop --headless)";
    return o;
}

}  // namespace busdesk
