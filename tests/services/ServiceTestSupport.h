#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <boost/json.hpp>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/WireModels.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"
#include "server/OfficeSimulator.h"

namespace busdesk::test {

// The outcome of one service call: how often each block ran, on which thread, and with what.
template <class... Args>
struct Calls {
    int successes = 0;
    int failures = 0;
    bool offMainThread = false;
    std::optional<std::tuple<Args...>> value;

    int total() const { return successes + failures; }
    std::function<void(Args...)> success() {
        return [this](Args... args) {
            if (!RunLoop::main().isOwnerThread()) offMainThread = true;
            ++successes;
            value.emplace(std::move(args)...);
        };
    }
    std::function<void()> fail() {
        return [this] {
            if (!RunLoop::main().isOwnerThread()) offMainThread = true;
            ++failures;
        };
    }
    // Waits for the first block, then until nothing is in flight, so that a second, wrong
    // callback would be counted before the test looks.
    bool wait(std::chrono::milliseconds bound = std::chrono::milliseconds(10000)) {
        bool done = RunLoop::main().runUntil([this] { return total() > 0; }, bound);
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        return done;
    }
    template <size_t I = 0>
    const auto& arg() const {
        return std::get<I>(*value);
    }
};

inline std::string percentDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (s[i] == '+') {
            out += ' ';
        } else {
            out += s[i];
        }
    }
    return out;
}

// What the client asked for, read back from its "last url == " console line.
struct SentRequest {
    std::string path;  // from "/OfficeServiceQ/" on
    std::map<std::string, std::string> query;
    bool has(const std::string& key) const { return query.count(key) > 0; }
};

inline SentRequest parseSentURL(const std::string& url) {
    SentRequest out;
    auto at = url.find("/OfficeServiceQ/");
    auto q = url.find('?');
    out.path =
        url.substr(at == std::string::npos ? 0 : at, q == std::string::npos ? std::string::npos : q - at);
    if (q == std::string::npos) return out;
    std::string rest = url.substr(q + 1);
    size_t start = 0;
    while (start <= rest.size()) {
        size_t amp = rest.find('&', start);
        std::string pair = rest.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        if (!pair.empty()) {
            auto eq = pair.find('=');
            out.query[percentDecode(pair.substr(0, eq))] =
                eq == std::string::npos ? "" : percentDecode(pair.substr(eq + 1));
        }
        if (amp == std::string::npos) break;
        start = amp + 1;
    }
    return out;
}

// Console lines captured for the length of one test.
class LogCapture {
  public:
    LogCapture() {
        previous_ = Log::setSink([this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        });
    }
    ~LogCapture() { Log::setSink(previous_); }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    std::vector<std::string> withPrefix(const std::string& prefix) const {
        std::vector<std::string> out;
        for (auto& l : lines())
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
    bool has(const std::string& prefix) const { return !withPrefix(prefix).empty(); }
    // The last request the client built for `method` (path component).
    std::optional<SentRequest> sent(const std::string& method) const {
        std::optional<SentRequest> found;
        for (auto& l : withPrefix("last url == ")) {
            auto r = parseSentURL(l.substr(12));
            if (r.path.rfind("/OfficeServiceQ/" + method, 0) == 0) found = r;
        }
        return found;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    Log::Sink previous_;
};

// One substitute server for the whole test run (stopping one waits for the client's kept-alive
// connections to time out, seconds each time), with its clock fixed so the data is the same on
// every run.
class SimEnvironment : public ::testing::Environment {
  public:
    static sim::OfficeSimulator& sim() {
        if (!sim_) {
            sim::SimOptions o;
            o.today = "2026-12-07";
            o.timeOfDay = "10:00:00";
            sim_ = new sim::OfficeSimulator(o);
            if (!sim_->start()) ADD_FAILURE() << sim_->lastError();
            ::testing::AddGlobalTestEnvironment(new SimEnvironment);
        }
        return *sim_;
    }
    void TearDown() override {
        delete sim_;
        sim_ = nullptr;
    }

  private:
    static inline sim::OfficeSimulator* sim_ = nullptr;
};

// Every test gets its own profile folder, points the client at the server and starts with no
// faults and no session.
class ServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        profile_ = std::filesystem::temp_directory_path() /
                   ("busdesk-services-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                    std::to_string(::getpid()));
        std::filesystem::remove_all(profile_);
        std::filesystem::create_directories(profile_);
        Paths::setProfileDir(profile_.string());
        PublicMethod::setOfficeBaseURL(sim().baseURL());
        Session::shared().setLoginResult(nullptr);
        sim().faults().clear();
    }
    void TearDown() override {
        sim().faults().clear();
        std::error_code ec;
        std::filesystem::remove_all(profile_, ec);
    }
    sim::OfficeSimulator& sim() { return SimEnvironment::sim(); }

    std::filesystem::path profile_;
    LogCapture log_;
};

inline sim::Fault fault(sim::Fault::Body body) {
    sim::Fault f;
    f.body = body;
    return f;
}

}  // namespace busdesk::test
