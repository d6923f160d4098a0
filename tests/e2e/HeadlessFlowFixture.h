#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/Application.h"
#include "core/Session.h"
#include "server/OfficeSimulator.h"

namespace busdesk::test {

// A whole flow as a user drives it: a substitute office server on a loopback port and a profile
// folder of the test's own, and run() starting the headless program on a script with the clock
// pinned to the server's day. Each run is a new start of the program.
class HeadlessFlow : public ::testing::Test {
  protected:
    struct Run {
        int status;
        std::string screen;
    };

    // The day and time of both the server's demo data and the app's clock.
    explicit HeadlessFlow(std::string today = "2014-05-20", std::string timeOfDay = "09:00:00")
        : today_(std::move(today)), timeOfDay_(std::move(timeOfDay)) {}

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ =
            std::filesystem::temp_directory_path() / ("busdesk-e2e-" + std::string(info->test_suite_name()) +
                                                      "-" + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        sim::SimOptions o;
        o.today = today_;
        o.timeOfDay = timeOfDay_;
        // Uploaded photos and feedback stay inside the test's folder.
        o.dataDir = (dir_ / "office-data").string();
        sim_ = std::make_unique<sim::OfficeSimulator>(o);
        ASSERT_TRUE(sim_->start()) << sim_->lastError();
    }

    void TearDown() override {
        sim_->stop();
        std::filesystem::remove_all(dir_);
    }

    Run run(const std::string& script) {
        auto path = dir_ / "script.txt";
        std::ofstream(path) << script;
        auto options = LaunchOptions::parse({"--headless", "--server", sim_->baseURL(), "--profile",
                                             (dir_ / "profile").string(), "--script", path.string(), "--now",
                                             today_ + " " + timeOfDay_});
        EXPECT_EQ(options.error, "");
        prepareEnvironment(options);
        // A new start of the program: nothing typed at an earlier login is known.
        Session::shared().setTypedCardID(std::nullopt);
        std::istringstream noTerminal;
        std::ostringstream out;
        int status = runHeadless(options, noTerminal, out);
        return {status, out.str()};
    }

    std::unique_ptr<sim::OfficeSimulator> sim_;
    std::filesystem::path dir_;

  private:
    std::string today_;
    std::string timeOfDay_;
};

}  // namespace busdesk::test
