// The terminal mode as a person meets it: the program on a pseudo-terminal, against the
// substitute office server, typed at one line after another.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "server/OfficeSimulator.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class TerminalSession : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::SimOptions o;
        o.today = "2014-05-20";
        o.timeOfDay = "09:00:00";
        sim_ = std::make_unique<sim::OfficeSimulator>(o);
        ASSERT_TRUE(sim_->start()) << sim_->lastError();
        dir_ = fs::temp_directory_path() / "busdesk-terminal-session";
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (child_ > 0) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
        if (master_ >= 0) ::close(master_);
        sim_->stop();
        fs::remove_all(dir_);
    }

    void start() {
        std::string app = std::string(BUSDESK_BINARY_DIR) + "/app/busdesk";
        ASSERT_TRUE(fs::exists(app)) << app;
        std::string server = sim_->baseURL(), profile = (dir_ / "profile").string();
        winsize size{};
        size.ws_row = 40;
        size.ws_col = 60;
        child_ = ::forkpty(&master_, nullptr, nullptr, &size);
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            ::unsetenv("COLUMNS");
            ::execl(app.c_str(), app.c_str(), "--headless", "--server", server.c_str(), "--profile",
                    profile.c_str(), "--now", "2014-05-20 09:00:00", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    // Everything the program prints up to its next prompt (bounded by 30 s of real time).
    std::string untilPrompt() {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            if (got.size() >= 2 && got.compare(got.size() - 2, 2, "> ") == 0) return got;
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 200) <= 0) continue;
            char buf[4096];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        ADD_FAILURE() << "no prompt; got:\n" << got;
        return got;
    }

    std::string say(const std::string& line) {
        std::string l = line + "\n";
        EXPECT_EQ(::write(master_, l.data(), l.size()), static_cast<ssize_t>(l.size()));
        std::string got = untilPrompt();
        transcript_ += got;
        return got;
    }

    static std::size_t count(const std::string& text, const std::string& part) {
        std::size_t n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

    std::unique_ptr<sim::OfficeSimulator> sim_;
    fs::path dir_;
    pid_t child_ = -1;
    int master_ = -1;
    std::string transcript_;
};

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

}  // namespace
}  // namespace busdesk
