// The main screens in English: every text on them is translated, except what the office sent.
#include <gtest/gtest.h>
#include <httplib.h>

#include <boost/json.hpp>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "HeadlessFlowFixture.h"
#include "app/Application.h"
#include "core/Session.h"
#include "platform/Charset.h"
#include "platform/Translation.h"

namespace busdesk {
namespace {

// Stands between the app and the substitute office and keeps every text the office answered, so
// the walk can tell the office's data (names, routes, bulletins) from the app's own texts.
class RecordingProxy {
  public:
    explicit RecordingProxy(int officePort) : officePort_(officePort) {
        auto forward = [this](const httplib::Request& req, httplib::Response& res) {
            httplib::Client office("127.0.0.1", officePort_);
            office.set_read_timeout(30);
            httplib::Headers headers;
            for (const auto& [name, value] : req.headers)
                if (name != "Host" && name != "Content-Length" && name != "Accept-Encoding")
                    headers.emplace(name, value);
            auto answer = req.method == "POST" ? office.Post(req.target.c_str(), headers, req.body,
                                                             req.get_header_value("Content-Type").c_str())
                                               : office.Get(req.target.c_str(), headers);
            if (!answer) {
                res.status = 502;
                return;
            }
            res.status = answer->status;
            res.body = answer->body;
            for (const auto& [name, value] : answer->headers)
                if (name != "Content-Length" && name != "Transfer-Encoding" && name != "Connection")
                    res.headers.emplace(name, value);
            record(answer->body);
        };
        server_.Get(".*", forward);
        server_.Post(".*", forward);
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 100000 && !server_.is_running(); ++i) std::this_thread::yield();
    }
    ~RecordingProxy() {
        server_.stop();
        thread_.join();
    }
    RecordingProxy(const RecordingProxy&) = delete;
    RecordingProxy& operator=(const RecordingProxy&) = delete;

    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

    // True when `text` stands in something the office sent.
    bool sent(const std::string& text) const {
        std::lock_guard lock(mutex_);
        for (const auto& s : texts_)
            if (s.find(text) != std::string::npos) return true;
        return false;
    }

  private:
    void record(const std::string& body) {
        if (!Charset::isValidUTF8(body)) return;  // pictures
        std::lock_guard lock(mutex_);
        texts_.push_back(body);
        boost::system::error_code ec;
        auto json = boost::json::parse(body, ec);
        if (!ec) collect(json);
    }
    // JSON strings as they read once their escapes are undone.
    void collect(const boost::json::value& v) {
        if (v.is_string()) texts_.emplace_back(v.as_string().c_str());
        if (v.is_array())
            for (const auto& e : v.as_array()) collect(e);
        if (v.is_object())
            for (const auto& kv : v.as_object()) collect(kv.value());
    }

    int officePort_;
    int port_ = 0;
    httplib::Server server_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// Runs of Chinese (ideographs and the full-width punctuation around them) in a screen's text.
std::vector<std::string> chineseRuns(const std::string& text) {
    auto chinese = [](char32_t c) {
        return (c >= 0x3400 && c <= 0x9fff) || (c >= 0x3000 && c <= 0x303f) || (c >= 0xff01 && c <= 0xff5e);
    };
    std::vector<std::string> runs;
    std::string run;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = Charset::nextCodePoint(text, i);
        if (chinese(c)) {
            Charset::appendUTF8(run, c);
            continue;
        }
        if (!run.empty()) runs.push_back(run);
        run.clear();
    }
    if (!run.empty()) runs.push_back(run);
    return runs;
}

class EnglishWalk : public test::HeadlessFlow {
  protected:
    void TearDown() override {
        translation::useLanguage(translation::kSourceLanguage);
        test::HeadlessFlow::TearDown();
    }

    // Runs the script in English against the office through the proxy; the screens it printed.
    std::string walk(RecordingProxy& proxy, const std::string& script) {
        auto path = dir_ / "walk.txt";
        std::ofstream(path) << script;
        auto options = LaunchOptions::parse({"--headless", "--lang", "en", "--server", proxy.baseURL(),
                                             "--profile", (dir_ / "profile").string(), "--script",
                                             path.string(), "--now", "2014-05-20 09:00:00"});
        EXPECT_EQ(options.error, "");
        prepareEnvironment(options);
        EXPECT_TRUE(translation::useLanguage(*options.lang));
        Session::shared().setTypedCardID(std::nullopt);
        std::istringstream noTerminal;
        std::ostringstream out;
        EXPECT_EQ(runHeadless(options, noTerminal, out), 0) << out.str();
        return out.str();
    }

    // Every line holding Chinese that the office did not send.
    static std::vector<std::string> untranslated(const RecordingProxy& proxy, const std::string& screens) {
        std::vector<std::string> found;
        std::set<std::string> seen;
        std::istringstream lines(screens);
        for (std::string line; std::getline(lines, line);)
            for (const auto& run : chineseRuns(line))
                if (!proxy.sent(run) && seen.insert(line).second) found.push_back(line);
        return found;
    }
};

TEST(ChineseRuns, FindsEveryRunAndNothingInPlainEnglish) {
    EXPECT_EQ(chineseRuns("Route: 1路 · Driver 张建国（司机）"),
              (std::vector<std::string>{"路", "张建国（司机）"}));
    EXPECT_TRUE(chineseRuns("Vehicle: 12004 · Done (2) — ×3 …").empty());
}

TEST_F(EnglishWalk, TheMainScreensShowNoChineseButTheOfficesData) {
    RecordingProxy proxy(sim_->port());
    const std::string screens = walk(proxy, R"script(dump
type #username 10086
type #password 123456
tap #loginAction
wait 3
expect "Home"
dump
menu left
dump
tap Bulletins
dump
tap 关于冬季安全行车的通知
expect "Bulletin Details"
dump
back
menu right
dump
tap #userInfo
dump
menu left
tap Service
expect "Planned trips:"
dump
menu left
tap Duty Roster
dump
menu left
tap My Roster
dump
menu left
tap Completed Trips
dump
menu left
tap Vehicle Violations
dump
menu left
tap Home
wait 4
tap #showRule
expect "Violation Details"
dump
menu left
tap Attendance
dump
tap #Search
expect "Attendance Details"
dump
menu left
tap Vehicle Maintenance
dump
tap #ShowDetail
dump
menu left
tap Repairs
dump
menu left
tap Material Requisitions
dump
menu left
tap Fuel Use
tap #monthBtn
pick 2014-04
tap #search
expect "Statistics (2014-04)"
dump
menu left
tap Revenue
tap #monthAction
tap #sumPerBtn
pick 2014-04
tap #search
expect "Revenue Summary"
dump
menu left
tap Mileage
dump
menu left
tap Company Culture
dump
menu right
tap #ShowSalary
expect "Salary"
dump
tap #query
expect "Month: 2014-04"
dump
menu right
tap #ShowLunch
dump
menu right
tap #ShowBusRecord
dump
menu right
tap #ShowFeedBack
expect "Vehicle Condition Feedback"
dump
# the kind is shown in English and reaches the office in its own words
tap #lblType
pick Complaint
expect #lblType: "Complaint"
type #txtDesc Left mirror of bus 12004 is loose.
tap #submit
expect toast: "Submitted"
tap #showList
expect "Feedback List"
expect "Type: 投诉"
dump
menu right
tap #ShowSetting
expect "Language: "
dump
quit
)script");
    // The walk reached the screens it meant to, in English.
    EXPECT_NE(screens.find("Sign In"), std::string::npos);
    EXPECT_NE(screens.find("Net pay"), std::string::npos);
    const auto left = untranslated(proxy, screens);
    std::string report;
    for (const auto& line : left) report += "  " + line + "\n";
    EXPECT_TRUE(left.empty()) << "Chinese the office did not send:\n" << report;
}

}  // namespace
}  // namespace busdesk
