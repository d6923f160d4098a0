// The real app in the offscreen window against the substitute office server, and a walk over
// every screen, menu, sheet and alert (tests/data/app/every-screen.txt) that stops at each
// "# stop: NAME" line so a test can check what the window shows there.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "app/AppDelegate.h"
#include "app/Application.h"
#include "app/script/ScriptRunner.h"
#include "core/Session.h"
#include "platform/RunLoop.h"
#include "platform/qt/QtPainting.h"
#include "platform/qt/WindowPresenter.h"
#include "platform/views/View.h"
#include "platform/views/ViewFinder.h"
#include "platform/views/Window.h"
#include "server/OfficeSimulator.h"
#include "tests/support/PrivateSecretService.h"

namespace busdesk::window_tests {

namespace fs = std::filesystem;

class WindowWalk : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "busdesk_tests_app_qt";
        static char* argv[] = {name, nullptr};
        // "Remember the password" on the login screen stores it: in a keyring of the test's own.
        keyring_ = std::make_unique<test::PrivateSecretService>();
        ASSERT_TRUE(keyring_->running()) << keyring_->error();
        app_ = std::make_unique<QApplication>(argc, argv);
        qt::installApplicationFont();
        sim::SimOptions o;
        o.today = "2014-05-20";
        o.timeOfDay = "09:00:00";
        sim_ = std::make_unique<sim::OfficeSimulator>(o);
        ASSERT_TRUE(sim_->start()) << sim_->lastError();
        dir_ = fs::temp_directory_path() /
               ("busdesk-window-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(::getpid()));
        fs::remove_all(dir_);
        // One picture in the album for the feedback form.
        fs::create_directories(dir_ / "profile" / "data" / "Album");
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(QColor(70, 110, 160));
        ASSERT_TRUE(
            photo.save(QString::fromStdString((dir_ / "profile" / "data" / "Album" / "bus1.png").string())));
        auto options = LaunchOptions::parse({"--server", sim_->baseURL(), "--profile",
                                             (dir_ / "profile").string(), "--now", "2014-05-20 09:00:00"});
        ASSERT_EQ(options.error, "");
        prepareEnvironment(options);
        Session::shared().setTypedCardID(std::nullopt);
        RunLoop::main().adoptCurrentThread();
        RunLoop::main().useManualClock();
        delegate_ = std::make_shared<AppDelegate>();
        delegate_->applicationDidFinishLaunchingWithOptions();
        presenter_ = std::make_unique<qt::WindowPresenter>(delegate_->window());
        presenter_->surface()->show();
        runner_ = std::make_unique<ScriptRunner>(delegate_->window(), out_);
    }

    void TearDown() override {
        RunLoop::main().advance(seconds(10));
        runner_.reset();
        presenter_.reset();
        delegate_.reset();
        if (sim_) sim_->stop();
        app_.reset();
        keyring_.reset();
        fs::remove_all(dir_);
    }

    Window& window() { return *delegate_->window(); }

    void step(const std::string& line) {
        auto r = runner_->execute(line);
        ASSERT_TRUE(r.ok) << line << ": " << r.message;
        presenter_->sync();
    }

    // Runs the walk, calling `check` at every stop with its name; returns how many stops it made.
    int walkEveryScreen(const std::function<void(const std::string& stop)>& check) {
        std::ifstream in(BUSDESK_TEST_DATA_DIR "/app/every-screen.txt");
        EXPECT_TRUE(in) << "the walk's script";
        std::string line;
        int stops = 0;
        const std::string marker = "# stop: ";
        while (std::getline(in, line)) {
            if (line.rfind(marker, 0) == 0) {
                presenter_->sync();
                check(line.substr(marker.size()));
                ++stops;
                continue;
            }
            step(line);
            if (::testing::Test::HasFatalFailure()) break;
        }
        return stops;
    }

    // Every view shown now (its widget visible), in screen order.
    std::vector<View*> shownViews() {
        presenter_->sync();
        std::vector<View*> out;
        for (View* v : ViewFinder::visibleViews(window())) {
            auto* w = presenter_->widgetFor(*v);
            if (w && w->isVisibleTo(presenter_->surface())) out.push_back(v);
        }
        return out;
    }

    std::unique_ptr<test::PrivateSecretService> keyring_;
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<sim::OfficeSimulator> sim_;
    fs::path dir_;
    std::shared_ptr<AppDelegate> delegate_;
    std::unique_ptr<qt::WindowPresenter> presenter_;
    std::unique_ptr<ScriptRunner> runner_;
    std::ostringstream out_;
};

}  // namespace busdesk::window_tests
