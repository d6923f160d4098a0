#pragma once

// The program on a pseudo-terminal against a substitute office server of the test's own, typed at
// one line after another.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "server/OfficeSimulator.h"

namespace busdesk {

class TerminalSession : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::SimOptions o;
        o.today = "2014-05-20";
        o.timeOfDay = "09:00:00";
        sim_ = std::make_unique<sim::OfficeSimulator>(o);
        ASSERT_TRUE(sim_->start()) << sim_->lastError();
        // One folder per test process: CTest runs the tests of this file side by side.
        dir_ = std::filesystem::temp_directory_path() /
               ("busdesk-terminal-session-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        if (child_ > 0) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
        if (master_ >= 0) ::close(master_);
        sim_->stop();
        std::filesystem::remove_all(dir_);
    }

    void start() {
        std::string app = std::string(BUSDESK_BINARY_DIR) + "/app/busdesk";
        ASSERT_TRUE(std::filesystem::exists(app)) << app;
        std::string server = sim_->baseURL(), profile = (dir_ / "profile").string();
        winsize size{};
        size.ws_row = 40;
        size.ws_col = 60;
        child_ = ::forkpty(&master_, nullptr, nullptr, &size);
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            ::unsetenv("COLUMNS");
            ::setenv("TERM", "xterm", 1);
            ::execl(app.c_str(), app.c_str(), "--lang", "zh_CN", "--headless", "--server", server.c_str(),
                    "--profile", profile.c_str(), "--now", "2014-05-20 09:00:00",
                    static_cast<char*>(nullptr));
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

    // The line editor switches the terminal out of line mode only once it reads; keys typed before
    // that are taken by the terminal's own line editing. Wait (up to 10 s) until it reads.
    void untilTheEditorReads() const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        termios mode{};
        while (std::chrono::steady_clock::now() < deadline) {
            if (::tcgetattr(master_, &mode) == 0 && (mode.c_lflag & ICANON) == 0) return;
            ::poll(nullptr, 0, 10);
        }
    }

    // Bytes as typed, keys and all, then what comes back up to the next prompt.
    std::string press(const std::string& keys) {
        untilTheEditorReads();
        EXPECT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
        std::string got = untilPrompt();
        transcript_ += got;
        return got;
    }

    // Everything printed until the program ends, and its exit status.
    int untilExit(std::string& rest) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 200) <= 0) continue;
            char buf[4096];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            rest.append(buf, static_cast<std::size_t>(n));
        }
        // A program that did not end is stopped rather than waited for without end.
        int status = -1;
        pid_t ended = 0;
        while ((ended = ::waitpid(child_, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < deadline)
            ::poll(nullptr, 0, 50);
        if (ended == 0) {
            ADD_FAILURE() << "the program did not end";
            ::kill(child_, SIGKILL);
            ended = ::waitpid(child_, &status, 0);
        }
        EXPECT_EQ(ended, child_);
        child_ = -1;
        ::close(master_);
        master_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string say(const std::string& line) {
        untilTheEditorReads();
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
    std::filesystem::path dir_;
    pid_t child_ = -1;
    int master_ = -1;
    std::string transcript_;
};

}  // namespace busdesk
