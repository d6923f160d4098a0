#include <gtest/gtest.h>

#include <sstream>

#include "app/script/ScriptRunner.h"
#include "platform/RunLoop.h"
#include "platform/views/Label.h"
#include "platform/views/NavigationController.h"
#include "platform/views/Window.h"

namespace busdesk {
namespace {

bool hasTerminalControl(const std::string& text) {
    for (unsigned char b : text)
        if ((b < 0x20 && b != '\n') || b == 0x7f) return true;
    return false;
}

// Interactive mode prints the screen after every command and carries on after errors: neither the
// screen nor an error message may hand a control character to the terminal.
TEST(ScriptRunnerConsoleTest, InteractiveModePrintsServerTextAndErrorsEscaped) {
    RunLoop::main().useManualClock();
    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    auto screen = std::make_shared<ViewController>();
    window->setRootViewController(std::make_shared<NavigationController>(screen));
    screen->view()->addSubview(std::make_shared<Label>(Rect{0, 0, 300, 30}, "公告\x1b[2J\x07"));
    std::ostringstream out;
    ScriptRunner runner(window, out);
    std::istringstream in("tap \x1b]0;title\x07\nexpect nothing\x1b[K\ndump\n");
    EXPECT_EQ(runner.runInteractive(in), 0);
    const std::string text = out.str();
    EXPECT_FALSE(hasTerminalControl(text)) << text;
    EXPECT_NE(text.find("label: \"公告\\x1b[2J\\x07\""), std::string::npos) << text;
    EXPECT_NE(text.find("error: no visible view matches \\x1b]0;title\\x07"), std::string::npos) << text;
    EXPECT_NE(text.find("error: expected to see nothing\\x1b[K\n"), std::string::npos) << text;

    std::ostringstream scripted;
    ScriptRunner again(window, scripted);
    std::istringstream script("tap \x1b[31mred\n");
    EXPECT_EQ(again.runScript(script), 1);
    EXPECT_EQ(scripted.str(), "line 1: no visible view matches \\x1b[31mred\n");
}

}  // namespace
}  // namespace busdesk
