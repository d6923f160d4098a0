// The terminal mode as a person meets it: the program on a pseudo-terminal, against the
// substitute office server, typed at one line after another.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/TerminalSessionFixture.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

TEST_F(TerminalSession, ANewcomerSignsInAndReadsABulletinWithoutKnowingTheDelays) {
    start();
    std::string first = untilPrompt();
    transcript_ += first;
    std::string log = (dir_ / "profile" / "state" / "console.log").string();
    EXPECT_NE(first.find("Console lines go to " + log), std::string::npos) << first;
    EXPECT_NE(first.find("type help"), std::string::npos);
    EXPECT_NE(first.find("#loginAction"), std::string::npos);

    std::string help = say("help");
    EXPECT_NE(help.find("docs/headless.md"), std::string::npos);
    EXPECT_EQ(count(help, "#loginAction"), 0u) << "help prints no screen";

    say("type #username 10086");
    say("type #password 123456");
    // The advertising picture's seconds pass without a `wait`: the home page is next.
    std::string signedIn = say("tap #loginAction");
    EXPECT_NE(signedIn.find("toast: \"登录成功\""), std::string::npos) << signedIn;
    EXPECT_NE(signedIn.find("bar: [#presentLeftMenuViewController] \"首页\""), std::string::npos) << signedIn;

    std::string dump = say("dump");
    EXPECT_EQ(count(dump, "bar:"), 1u) << dump;

    say("menu left");
    say("tap 公告通知");
    std::string detail = say("tap 关于冬季安全行车的通知");
    EXPECT_NE(detail.find("公告详情"), std::string::npos) << detail;
    std::string read = say("read");
    EXPECT_NE(read.find("严格检查，及时整改。"), std::string::npos) << read;
    std::istringstream lines(read);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        int cells = 0;
        for (unsigned char c : line)
            if ((c & 0xC0) != 0x80) cells += c >= 0xE0 ? 2 : 1;
        EXPECT_LE(cells, 60) << line;
    }

    std::string home = say("home");
    EXPECT_EQ(home.find("error"), std::string::npos) << home;
    home = say("home");
    EXPECT_NE(home.find("\"首页\""), std::string::npos) << home;
    EXPECT_NE(home.find("#aTableView"), std::string::npos) << home;

    std::string q = "quit\n";
    ASSERT_EQ(::write(master_, q.data(), q.size()), static_cast<ssize_t>(q.size()));
    int status = -1;
    ASSERT_EQ(::waitpid(child_, &status, 0), child_);
    child_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // The console lines went to the log, not between the screens.
    EXPECT_EQ(transcript_.find("last url =="), std::string::npos);
    std::ifstream in(log);
    std::stringstream logged;
    logged << in.rdbuf();
    EXPECT_NE(logged.str().find("last url =="), std::string::npos);
    EXPECT_EQ(logged.str().find("Password=123456"), std::string::npos) << "no password in the log";
}

TEST_F(TerminalSession, LinesAreEditedCompletedAndRecalledAcrossRunsWithoutThePassword) {
    const std::string kUp = "\x1b[A", kCtrlA = "\x01", kCtrlK = "\x0b", kCtrlW = "\x17", kCtrlD = "\x04";
    start();
    transcript_ += untilPrompt();
    // Tab finishes a command and an identifier of the screen.
    std::string typed = press("ty\t#user\t10086\n");
    EXPECT_NE(typed.find("field #username: \"10086\""), std::string::npos) << typed;
    press("type #password 123456\n");
    std::string in = press("tap #loginA\t\n");
    EXPECT_NE(in.find("\"首页\""), std::string::npos) << in;
    // Up recalls the last line; Ctrl+W takes its last word back.
    press("menu left\n");
    std::string right = press(kUp + kCtrlW + "right\n");
    EXPECT_NE(right.find("— 右侧菜单 —"), std::string::npos) << right;
    // Ctrl+A and Ctrl+K: the whole line typed so far is cut before the real one is typed.
    std::string hidden = press("bogus" + kCtrlA + kCtrlK + "menu hide\n");
    EXPECT_EQ(hidden.find("unknown command"), std::string::npos) << hidden;
    EXPECT_EQ(hidden.find("error"), std::string::npos) << hidden;
    // Ctrl+D on an empty line leaves, on a line of its own.
    untilTheEditorReads();
    ASSERT_EQ(::write(master_, kCtrlD.data(), kCtrlD.size()), 1);
    std::string rest;
    EXPECT_EQ(untilExit(rest), 0);
    EXPECT_NE(rest.find('\n'), std::string::npos) << rest;

    const std::string history = (dir_ / "profile" / "state" / "history").string();
    struct stat st {};
    ASSERT_EQ(::stat(history.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::ifstream file(history);
    std::stringstream kept;
    kept << file.rdbuf();
    EXPECT_NE(kept.str().find("type #username 10086\n"), std::string::npos) << kept.str();
    EXPECT_NE(kept.str().find("type #password ***\n"), std::string::npos) << kept.str();
    EXPECT_NE(kept.str().find("menu right\n"), std::string::npos) << kept.str();
    EXPECT_EQ(kept.str().find("123456"), std::string::npos) << kept.str();

    // The next run recalls the last line of this one: "menu hide", which the login screen refuses.
    start();
    transcript_ += untilPrompt();
    std::string recalled = press(kUp + "\n");
    EXPECT_NE(recalled.find("error: there is no side menu"), std::string::npos) << recalled;
}

// Two copies on one profile would clear each other's temporary settings files and lose saves: the
// second says so in one line and stops before it touches anything. The folders the first made, or
// found open to others, are 0700 and its files 0600, whatever the umask.
TEST_F(TerminalSession, ASecondCopyOnTheSameProfileSaysSoAndStopsUntouched) {
    const fs::path profile = dir_ / "profile";
    fs::create_directories(profile / "state");
    fs::create_directories(profile / "config");
    fs::permissions(profile / "state", fs::perms(0755));
    const mode_t umaskBefore = ::umask(022);
    start();
    ::umask(umaskBefore);
    transcript_ += untilPrompt();

    // What a killed writer leaves and what a live one is writing look the same.
    const fs::path temporary = profile / "config" / "settings.json.busdesk-tmp-AbCd12";
    std::ofstream(temporary) << "{\"half";
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t second = ::fork();
    ASSERT_GE(second, 0);
    if (second == 0) {
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        ::close(out[0]);
        const std::string app = std::string(BUSDESK_BINARY_DIR) + "/app/busdesk";
        ::execl(app.c_str(), app.c_str(), "--headless", "--server", sim_->baseURL().c_str(), "--profile",
                profile.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string said;
    char buf[512];
    for (ssize_t n = 0; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        said.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = -1;
    ASSERT_EQ(::waitpid(second, &status, 0), second);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(said, "busdesk: BusDesk is already running with this profile (" + profile.string() + ")\n");
    EXPECT_TRUE(fs::exists(temporary));

    // The first copy is unharmed and still answers.
    EXPECT_NE(say("dump").find("#loginAction"), std::string::npos);
    auto mode = [](const fs::path& p) { return static_cast<int>(fs::status(p).permissions()); };
    EXPECT_EQ(mode(profile / "state"), 0700);
    EXPECT_EQ(mode(profile / "state" / "console.log"), 0600);
    EXPECT_EQ(mode(profile / "state" / "busdesk.lock"), 0600);
    untilTheEditorReads();
    const std::string quit = "quit\n";
    ASSERT_EQ(::write(master_, quit.data(), quit.size()), static_cast<ssize_t>(quit.size()));
    std::string rest;
    EXPECT_EQ(untilExit(rest), 0);
}

}  // namespace
}  // namespace busdesk
