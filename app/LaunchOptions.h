#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Date.h"

namespace busdesk {

// What the command line asks of this run. Parsing never exits the process: the caller prints
// `error` (or the usage) and chooses the status.
struct LaunchOptions {
    std::optional<std::string> server;   // office server base URL, ends in "/"
    std::optional<std::string> culture;  // culture page base URL, ends in "/"
    std::optional<std::string> profile;  // settings, cache and data go under this folder
    bool headless = false;
    bool console = false;               // console lines on standard output (not in the log file)
    std::optional<std::string> script;  // a file of commands (headless or in the window)
    std::optional<std::string> shots;   // folder the window's "shot NAME" command writes into
    std::optional<Date> now;            // where the clock starts
    std::optional<std::string> lang;    // "zh_CN" or "en": over the setting and the environment
    std::optional<int> textSize;        // percent, one of TextSize::kSteps, for this run only
    bool version = false;
    bool help = false;
    std::string error;  // non-empty when the line could not be understood

    static LaunchOptions parse(const std::vector<std::string>& args);
    static LaunchOptions parse(int argc, char** argv);
    static const char* usage();
};

}  // namespace busdesk
