#pragma once

#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/core/PublicMethod.h"
#include "model/LoginResult.h"
#include "platform/Date.h"
#include "platform/DateFormat.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "platform/RunLoop.h"
#include "platform/views/NavigationController.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/Window.h"
#include "screens/core/LoginViewController.h"
#include "screens/core/SignedInAccount.h"
#include "server/OfficeSimulator.h"
#include "ui/ScriptRunner.h"
#include "ui/SideMenu.h"

namespace busdesk::test {

// One substitute office server for the whole test program (starting one seeds a database), a
// fresh profile folder, window and session for every test, virtual time.
class CoreScreensTest : public ::testing::Test {
  protected:
    static sim::OfficeSimulator& sim() {
        static sim::OfficeSimulator* server = [] {
            sim::SimOptions o;
            o.today = "2026-12-07";
            o.timeOfDay = "10:00:00";
            auto* s = new sim::OfficeSimulator(o);
            if (!s->start()) ADD_FAILURE() << "office simulator: " << s->lastError();
            return s;
        }();
        return *server;
    }

    void SetUp() override {
        setDeviceTimeZone("Asia/Shanghai");
        RunLoop::main().useManualClock();
        static int counter = 0;
        profile_ = std::filesystem::temp_directory_path() /
                   ("busdesk-screens-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(profile_);
        std::filesystem::create_directories(profile_);
        Paths::setProfileDir(profile_.string());
        sim().faults().clear();
        PublicMethod::setOfficeBaseURL(sim().baseURL());
        PublicMethod::setCultureBaseURL(sim().baseURL());
        PublicMethod::sharedEngine().setLoginResult(nullptr);
        SignedInAccount::setTypedCardID(std::nullopt);
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
    }

    void TearDown() override {
        // Lets toasts and delayed work of this test run out before the next one starts.
        RunLoop::main().advance(std::chrono::seconds(10));
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        window.reset();
        Date::setNow(std::nullopt);
        sim().faults().clear();
        Paths::clearProfileDir();
        std::filesystem::remove_all(profile_);
    }

    void launch() { window->setRootViewController(std::make_shared<LoginViewController>()); }

    // Runs script lines; fails the test with the output when one fails.
    bool run(const std::string& script) {
        std::istringstream in(script);
        ScriptRunner runner(window, out);
        int status = runner.runScript(in);
        EXPECT_EQ(status, 0) << out.str();
        return status == 0;
    }

    std::string screen() {
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        return ScreenDump::dump(*window, false);
    }

    // The settings file as it is on disk.
    boost::json::object settingsOnDisk() const {
        std::ifstream in(Preferences::standard().filePath());
        std::stringstream text;
        text << in.rdbuf();
        boost::system::error_code ec;
        auto v = boost::json::parse(text.str(), ec);
        return !ec && v.is_object() ? v.get_object() : boost::json::object();
    }

    std::shared_ptr<SideMenu> shell() const {
        return std::dynamic_pointer_cast<SideMenu>(window->rootViewController());
    }
    std::shared_ptr<NavigationController> content() const {
        auto menu = shell();
        return menu ? std::dynamic_pointer_cast<NavigationController>(menu->contentViewController())
                    : nullptr;
    }
    template <class T>
    std::shared_ptr<T> top() const {
        auto nav = content();
        return nav ? std::dynamic_pointer_cast<T>(nav->topViewController()) : nullptr;
    }

    // A session as an accepted login would leave it, without a request.
    static void signIn(const std::string& json) {
        PublicMethod::sharedEngine().setLoginResult(LoginResult::initWithString(json));
    }

    // Logs in through the login screen; leaves the shell with the advertising screen showing.
    bool loginAs(const std::string& card, const std::string& password, bool remember) {
        std::string script = "type #username " + card + "\ntype #password " + password + "\n";
        auto login = std::dynamic_pointer_cast<LoginViewController>(window->topViewController());
        if (login && login->cb && login->cb->checked() != remember) script += "tap #cb\n";
        script += "tap #loginAction\n";
        return run(script);
    }

    std::shared_ptr<Window> window;
    std::ostringstream out;

  private:
    std::filesystem::path profile_;
};

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace busdesk::test
