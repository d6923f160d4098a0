#pragma once

#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/script/ScriptRunner.h"
#include "core/PublicMethod.h"
#include "core/RememberedCredentials.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Date.h"
#include "platform/DateFormat.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "platform/RunLoop.h"
#include "platform/views/NavigationController.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/Window.h"
#include "screens/core/IdleLock.h"
#include "screens/core/LoginViewController.h"
#include "screens/core/NavigationShell.h"
#include "screens/core/SignOut.h"
#include "server/OfficeSimulator.h"
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
        Session::shared().setLoginResult(nullptr);
        Session::shared().setTypedCardID(std::nullopt);
        // As the app does at launch: an accepted login installs the shell.
        LoginViewController::setAcceptedHandler([](Window& w) { NavigationShell::install(w); });
        window = std::make_shared<Window>();
        window->makeKeyAndVisible();
        // As at launch: nothing remembered read yet, nobody signed in, the lock on this window.
        RememberedCredentials::shared().resetForNewRun();
        IdleLock::shared().signedOut();
        IdleLock::shared().attach(window);
        IdleLock::shared().setSignOutHandler([w = std::weak_ptr<Window>(window)] {
            if (auto window = w.lock()) SignOut::signOut(*window);
        });
        logLines_.clear();
        previousSink_ = Log::setSink([this](const std::string& line) { logLines_.push_back(line); });
    }

    void TearDown() override {
        // Lets toasts and delayed work of this test run out before the next one starts.
        RunLoop::main().advance(std::chrono::seconds(10));
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        IdleLock::shared().signedOut();
        RememberedCredentials::shared().resetForNewRun();
        window.reset();
        Log::setSink(previousSink_);
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
        Session::shared().setLoginResult(LoginResult::initWithString(json));
    }

    // Logs in through the login screen; leaves the shell with the advertising screen showing.
    bool loginAs(const std::string& card, const std::string& password, bool remember) {
        std::string script = "type #username " + card + "\ntype #password " + password + "\n";
        auto login = std::dynamic_pointer_cast<LoginViewController>(window->topViewController());
        if (login && login->cb && login->cb->checked() != remember) script += "tap #cb\n";
        script += "tap #loginAction\n";
        return run(script);
    }

    // Every console line of this test so far.
    const std::vector<std::string>& logLines() const { return logLines_; }
    // The addresses requested so far whose path holds `method` ("Query_Arrange"), oldest first.
    std::vector<std::string> requestsTo(const std::string& method) const {
        std::vector<std::string> urls;
        const std::string mark = "last url == ";
        for (const auto& line : logLines_)
            if (line.rfind(mark, 0) == 0 && line.find("/" + method + "/") != std::string::npos)
                urls.push_back(line.substr(mark.size()));
        return urls;
    }
    // The decoded value of one query parameter of `url`; nothing when the key is absent.
    static std::optional<std::string> queryParam(const std::string& url, const std::string& key) {
        auto q = url.find('?');
        if (q == std::string::npos) return std::nullopt;
        std::string query = url.substr(q + 1);
        std::size_t at = 0;
        while (at <= query.size()) {
            auto end = query.find('&', at);
            if (end == std::string::npos) end = query.size();
            std::string pair = query.substr(at, end - at);
            auto eq = pair.find('=');
            if (pair.substr(0, eq) == key) {
                std::string raw = eq == std::string::npos ? "" : pair.substr(eq + 1), value;
                for (std::size_t i = 0; i < raw.size(); ++i) {
                    if (raw[i] == '%' && i + 2 < raw.size()) {
                        value += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
                        i += 2;
                    } else {
                        value += raw[i] == '+' ? ' ' : raw[i];
                    }
                }
                return value;
            }
            at = end + 1;
        }
        return std::nullopt;
    }

    std::shared_ptr<Window> window;
    std::ostringstream out;

  private:
    std::filesystem::path profile_;
    std::vector<std::string> logLines_;
    Log::Sink previousSink_;
};

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace busdesk::test
