#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppDelegate.h"
#include "core/PublicMethod.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"
#include "platform/views/Palette.h"
#include "platform/views/Window.h"
#include "screens/core/LoginViewController.h"

namespace busdesk {
namespace {

class AppDelegateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("busdesk-app-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        Paths::setProfileDir(dir_.string());
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(AppDelegateTest, LaunchPutsTheLoginScreenInAWhiteKeyWindow) {
    auto app = std::make_shared<AppDelegate>();
    EXPECT_TRUE(app->applicationDidFinishLaunchingWithOptions());
    ASSERT_TRUE(app->window());
    EXPECT_EQ(Window::keyWindow(), app->window());
    ASSERT_TRUE(app->window()->backgroundColor());
    EXPECT_EQ(Palette::resolve(*app->window()->backgroundColor(), Appearance::Light), Color::whiteColor());
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(app->window()->rootViewController()));
    EXPECT_EQ(app->sideMenu(), nullptr);  // no shell before a login
    EXPECT_TRUE(app->deviceSettings().idleTimerDisabled);
    EXPECT_TRUE(app->deviceSettings().audioSessionActive);
    EXPECT_TRUE(app->deviceSettings().mixWithOthers);
}

TEST_F(AppDelegateTest, BackgroundGrantIsHandedBackByTheQueuedJobOnTheMainThread) {
    auto app = std::make_shared<AppDelegate>();
    app->applicationDidFinishLaunchingWithOptions();
    app->applicationDidEnterBackground();
    EXPECT_NE(app->backgroundTask(), BackgroundTaskInvalid);
    // The background job only posts to the main queue; the identifier changes there.
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return app->backgroundTask() == BackgroundTaskInvalid; },
                                         std::chrono::milliseconds(5000)));
    // The later expiry finds it invalid already and leaves it so.
    BackgroundTasks::expireAll();
    RunLoop::main().runPending();
    EXPECT_EQ(app->backgroundTask(), BackgroundTaskInvalid);
    EXPECT_EQ(BackgroundTasks::openCount(), 0u);
}

TEST_F(AppDelegateTest, ExpiryAfterTheDelegateIsGoneTouchesNothing) {
    auto app = std::make_shared<AppDelegate>();
    app->applicationDidEnterBackground();
    std::weak_ptr<AppDelegate> weak = app;
    app.reset();
    EXPECT_TRUE(weak.expired());  // the grant's handler does not keep the delegate alive
    BackgroundTasks::expireAll();
    RunLoop::main().runPending();
    EXPECT_EQ(BackgroundTasks::openCount(), 0u);
}

TEST_F(AppDelegateTest, MinimisingManyTimesKeepsNoGrantAfterItIsHandedBack) {
    auto app = std::make_shared<AppDelegate>();
    app->applicationDidFinishLaunchingWithOptions();
    for (int i = 0; i < 500; ++i) {
        app->applicationDidEnterBackground();
        // Several minimises may come before the queued hand-back runs.
        if (i % 3 == 0) {
            ASSERT_TRUE(
                RunLoop::main().runUntil([&] { return app->backgroundTask() == BackgroundTaskInvalid; },
                                         std::chrono::milliseconds(5000)));
        }
    }
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    RunLoop::main().runUntil([&] { return app->backgroundTask() == BackgroundTaskInvalid; },
                             std::chrono::milliseconds(5000));
    EXPECT_EQ(BackgroundTasks::openCount(), 0u);
}

TEST_F(AppDelegateTest, GrantsNeverHandedBackAreBoundedAndTheOldestExpire) {
    BackgroundTasks::expireAll();
    int expired = 0;
    std::vector<BackgroundTaskIdentifier> ids;
    for (int i = 0; i < 1000; ++i)
        ids.push_back(BackgroundTasks::beginBackgroundTaskWithExpirationHandler([&] { ++expired; }));
    EXPECT_EQ(BackgroundTasks::openCount(), BackgroundTasks::kMaxOpenGrants);
    EXPECT_EQ(expired, 1000 - static_cast<int>(BackgroundTasks::kMaxOpenGrants));
    // Ending a grant drops its handler uncalled; ending it twice, or an expired one, does nothing.
    BackgroundTasks::endBackgroundTask(ids.back());
    BackgroundTasks::endBackgroundTask(ids.back());
    BackgroundTasks::endBackgroundTask(ids.front());
    BackgroundTasks::endBackgroundTask(BackgroundTaskInvalid);
    EXPECT_EQ(BackgroundTasks::openCount(), BackgroundTasks::kMaxOpenGrants - 1);
    BackgroundTasks::expireAll();
    EXPECT_EQ(expired, 999);
    EXPECT_EQ(BackgroundTasks::openCount(), 0u);
}

}  // namespace
}  // namespace busdesk
