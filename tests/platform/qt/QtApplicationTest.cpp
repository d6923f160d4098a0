#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/script/ScriptRunner.h"
#include "platform/Image.h"
#include "platform/RunLoop.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/RunLoopDriver.h"
#include "platform/views/Button.h"
#include "platform/views/Label.h"
#include "platform/views/ViewController.h"
#include "platform/views/Window.h"

namespace busdesk::qt {
namespace {

class RealClock : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        RunLoop::main().setClock(std::make_shared<SteadyClock>());
    }
    void TearDown() override { RunLoop::main().useManualClock(); }
};

// Runs Qt's loop until `done` or the bound passes.
bool spinQt(const std::function<bool()>& done, int boundMs = 5000) {
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    bound.start(boundMs);
    poll.start(1);
    if (!done()) loop.exec();
    return done();
}

TEST_F(RealClock, QtsLoopRunsJobsPostedFromOtherThreadsAndTimersInRealTime) {
    static int argc = 1;
    static char name[] = "t";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    RunLoopDriver driver(&app);
    std::atomic<bool> ran{false};
    std::thread other([&] { dispatchMain([&] { ran = RunLoop::main().isOwnerThread(); }); });
    other.join();
    EXPECT_TRUE(spinQt([&] { return ran.load(); }));

    bool fired = false;
    auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration firedAfter{};
    RunLoop::main().postDelayed(std::chrono::milliseconds(40), [&] {
        fired = true;
        firedAfter = std::chrono::steady_clock::now() - start;
    });
    EXPECT_TRUE(spinQt([&] { return fired; }));
    EXPECT_GE(firedAfter, std::chrono::milliseconds(40));
    EXPECT_LT(firedAfter, std::chrono::milliseconds(1000));
}

TEST_F(RealClock, TheStepDrivesAScriptInTheRealWindowAndGrabsIt) {
    auto shots = std::filesystem::temp_directory_path() / ("busdesk-qt-shot-" + std::to_string(::getpid()));
    std::filesystem::create_directories(shots);
    std::shared_ptr<Window> window;
    int taps = 0;
    auto launch = [&] {
        window = std::make_shared<Window>();
        auto screen = std::make_shared<ViewController>();
        window->setRootViewController(screen);
        auto label = std::make_shared<Label>(Rect{20, 100, 350, 40}, "欢迎使用");
        screen->view()->addSubview(label);
        auto button = std::make_shared<Button>(Rect{20, 200, 200, 44}, "登录");
        button->addAction([&, weak = std::weak_ptr<Label>(label)](View&) {
            ++taps;
            if (auto l = weak.lock()) l->setText("已登录");
        });
        screen->view()->addSubview(button);
        window->makeKeyAndVisible();
    };
    std::istringstream script("tap 登录\nexpect 已登录\nshot after\n");
    std::ostringstream out;
    std::unique_ptr<ScriptRunner> runner;
    int steps = 0;
    bool scriptOk = true;
    auto step = [&](QtHost& host) {
        ++steps;
        if (!runner) runner = std::make_unique<ScriptRunner>(window, out);
        std::string line;
        if (!std::getline(script, line)) return false;
        if (line.rfind("shot ", 0) == 0) return host.grab((shots / (line.substr(5) + ".png")).string());
        auto outcome = runner->execute(line);
        scriptOk = scriptOk && outcome.ok;
        return outcome.ok;
    };
    static char name[] = "busdesk";
    char* argv[] = {name, nullptr};
    QtOptions size;
    size.width = 360;
    size.height = 640;
    int status = runApplication(1, argv, launch, step, size);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(scriptOk) << out.str();
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(steps, 4);  // three lines, then the end
    auto png = shots / "after.png";
    ASSERT_TRUE(std::filesystem::exists(png));
    auto image = Image::fromFile(png.string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 360);  // the window took the size asked for
    EXPECT_EQ(image->height, 640);
    std::filesystem::remove_all(shots);
}

TEST_F(RealClock, QuitEndsTheRunWithItsStatusAndNoKeyWindowIsAnError) {
    static char name[] = "busdesk";
    char* argv[] = {name, nullptr};
    std::shared_ptr<Window> window;
    int status = runApplication(
        1, argv,
        [&] {
            window = std::make_shared<Window>();
            window->setRootViewController(std::make_shared<ViewController>());
            window->makeKeyAndVisible();
        },
        [](QtHost& host) {
            host.quit(3);
            return true;
        });
    EXPECT_EQ(status, 3);
    window.reset();
}

TEST_F(RealClock, MinimisingTheWindowIsTheBackgroundAndRestoringItTheForeground) {
    static char name[] = "busdesk";
    char* argv[] = {name, nullptr};
    std::shared_ptr<Window> window;
    std::vector<std::string> told;
    QtOptions options;
    options.didEnterBackground = [&] { told.push_back("background"); };
    options.willEnterForeground = [&] { told.push_back("foreground"); };
    int turn = 0;
    int status = runApplication(
        1, argv,
        [&] {
            window = std::make_shared<Window>();
            window->setRootViewController(std::make_shared<ViewController>());
            window->makeKeyAndVisible();
        },
        [&](QtHost&) {
            QWidget* surface = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() || w->isMinimized()) surface = w;
            if (!surface) return false;
            switch (turn++) {
                case 0:
                    surface->setWindowState(Qt::WindowMinimized);
                    surface->setWindowState(Qt::WindowMinimized);  // no second call for the same state
                    return true;
                case 1:
                    surface->setWindowState(Qt::WindowNoState);
                    return true;
                default:
                    return false;
            }
        },
        options);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(told, (std::vector<std::string>{"background", "foreground"}));
    window.reset();
}

}  // namespace
}  // namespace busdesk::qt
