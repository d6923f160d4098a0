// Every office method's answer to a wide, fixed set of requests, compared with a saved digest per
// request: a change to how the server builds its answers must leave every byte where it was, unless
// the data was changed on purpose (then BUSDESK_UPDATE_GOLDEN=1 rewrites the file, and its diff shows
// which answers moved).
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "server/OfficeSimulator.h"

using namespace busdesk::sim;
using busdesk::sim::test::pct;

namespace {

struct Request {
    std::string method;  // "GET" or "POST"
    std::string path;    // after "/OfficeServiceQ/"
    std::string body;    // a POST's one photo
};

// The requests, in the order they are sent: reads first, then what writes (feedback, passwords).
std::vector<Request> goldenRequests() {
    std::vector<Request> out;
    auto get = [&](const std::string& path) { out.push_back({"GET", path, ""}); };

    const std::vector<std::string> people = {"E10086", "10086",  "E10010", "10010", "E20002",
                                             "E20017", "E30001", "nobody", ""};
    std::vector<std::string> days = {
        "2014-05-19", "2014-05-20", "2014-05-21", "2026-02-28", "2026-02-30", "x", ""};
    for (int d = 25; d <= 30; ++d) days.push_back("2026-11-" + std::to_string(d));
    for (int d = 1; d <= 9; ++d) days.push_back("2026-12-0" + std::to_string(d));
    const std::vector<std::string> months = {"2014-05", "2026-10", "2026-11", "2026-12", "2026-13", ""};
    const std::vector<std::string> periods = {"2026-11", "2026-12", "2026-12-06", "2026-12-07",
                                              "2014-05", "2026-13", "nope"};
    const std::vector<std::string> vehicles = {"", "12004", "12008", "12016", "99999"};
    const std::vector<std::pair<std::string, std::string>> ranges = {
        {"2026-12-07", "2026-12-07"}, {"2026-12-01", "2026-12-07"}, {"2026-11-01", "2026-11-30"},
        {"2026-12-06", "2026-12-10"}, {"2014-05-01", "2014-05-20"}, {"2026-12-07", "2026-12-01"},
        {"2026-08-01", "2026-12-07"}, {"2026-02-30", "2026-03-02"}};

    get("Query_CompanyLogo");
    for (auto* card : {"10086", "10010", "20001", "30012", "E10086", "880010086", ""})
        for (auto* pw : {"123456", "654321", "111111", ""})
            get(std::string("User_Login/?CardID=") + card + "&Password=" + pw);
    get("User_Login/");
    for (auto* m : {"Query_ByNewInfoPartNP", "Query_ByRegulationsInfoPartNP"}) {
        for (auto* index : {"0", "1", "2", "3", "4", "abc", "-1"})
            get(std::string(m) + "/?EmpID=E10086&Index=" + index);
        get(std::string(m) + "/?EmpID=E10086");
    }
    for (auto& who : people)
        for (auto& day : days)
            for (auto* m :
                 {"Query_DisplanInfo", "Query_NosendDisplanInfo", "Query_Arrange", "Query_FinishDisplan"})
                get(std::string(m) + "/?EmpID=" + who + "&RunDate=" + day);
    get("Query_DisplanInfo/");
    for (auto& who : {"E10086", "E10010", "nobody"})
        for (auto& bus : vehicles)
            for (auto& [from, to] : ranges)
                for (auto* m : {"Query_AlertSUM", "Query_TembusdefassInfo", "Query_WorkorderInfo"})
                    get(std::string(m) + "/?EmpID=" + who + "&Buselfid=" + bus + "&StartTime=" + from +
                        "&EndTime=" + to);
    for (auto& who : {"E10086", "nobody"})
        for (auto& bus : {"12004", "12008", "99999"})
            for (auto& [from, to] : ranges)
                for (auto* type : {"超速", "急加速", "急刹车", "疲劳驾驶", "开门行车"})
                    get(std::string("Query_AlertDetail/?EmpID=") + who + "&Buselfid=" + bus +
                        "&Alerttype=" + pct(type) + "&StartTime=" + from + "&EndTime=" + to);
    for (auto& who : people)
        for (auto& [from, to] : ranges) {
            get("Query_FdisempdutyInfo/?EmpID=" + who + "&StartTime=" + from + "&EndTime=" + to);
            for (auto* m : {"Query_RechargeInfo", "Query_ConsumeInfo", "Query_MealsubsidsInfo"})
                get(std::string(m) + "/?EmpID=" + who + "&starttime=" + from + "&endtime=" + to);
        }
    for (auto& who : {"E10086", "E10010", "nobody"})
        for (auto& bus : vehicles)
            for (auto& period : periods)
                for (auto* m : {"Query_StockbillSUM", "Query_StockbillInfo", "Query_DssfuelcostSUM",
                                "Query_DssfuelcostInfo"})
                    get(std::string(m) + "/?EmpID=" + who + "&Buselfid=" + bus + "&StartTime=" + period +
                        "&EndTime=" + period);
    for (std::string who : {"E10086", "10086", "E10010", "E20017", "E30001", "nobody"})
        for (auto* all : {"0", "1", ""}) {
            for (auto& day : days) {
                get("Query_DssticketreceiptInfoOneday/?EmpID=" + who + "&all=" + all + "&StartTime=" + day);
                get("Query_BusdaymileInfoOnedayByDriver/?EmpID=" + who + "&all=" + all + "&StartTime=" + day);
            }
            for (auto& month : months) {
                get("Query_DssticketreceiptSUM/?EmpID=" + who + "&all=" + all + "&StartTime=" + month);
                get("Query_BusdaymileSUMByDriver/?EmpID=" + who + "&all=" + all + "&StartTime=" + month);
            }
        }
    for (auto& who : people)
        for (auto& month : months) {
            get("Query_DssticketreceiptInfo/?EmpID=" + who + "&StartTime=" + month);
            get("Query_BusdaymileInfoByDriver/?EmpID=" + who + "&StartTime=" + month);
        }
    for (auto& who : people)
        for (auto* month :
             {"202611", "202610", "202601", "200708", "200601", "202612", "202613", "2026-11", ""})
            get("Query_Salary/?EmpID=" + who + "&Month=" + month);
    for (auto* card : {"880010086", "880010010", "880020005", "E10086", "10086", ""})
        get(std::string("Query_RidingRecode/?EmpID=") + card);
    for (auto& who : people) get("Query_FeedBackInfoNP/?EmpID=" + who);
    get("Query_Nothing/");
    get("Query_Arrange");
    get("Query_CompanyLogo/");

    // What writes, in a fixed order: refusals, two new suggestions with photos, the lists after them.
    get("FeedBackInfoNP/?Empid=nobody&Content=x&ParentID=0&pType=x");
    get("FeedBackInfoNP/?Empid=E10086&Content=&ParentID=0&pType=x");
    get("FeedBackInfoNP/?Empid=E10086&Content=" + pct("车门异响") + "&ParentID=0&pType=" + pct("建议"));
    get("FeedBackInfoNP/?Empid=10010&Content=" + pct("空调") + "&pType=" + pct("其他"));
    out.push_back({"POST", "UploadPictureFromID/4", "\xFF\xD8 first photo"});
    out.push_back({"POST", "UploadPictureFromID/4", "\x89PNG second photo"});
    out.push_back({"POST", "UploadPictureFromID/5", "plain bytes"});
    out.push_back({"POST", "UploadPictureFromID/999", "\xFF\xD8 nobody's"});
    out.push_back({"POST", "Query_Arrange/", ""});
    for (auto* who : {"E10086", "E10010"}) get(std::string("Query_FeedBackInfoNP/?EmpID=") + who);
    get("User_ChangePassword/?CardID=10010&OldPassword=nope&NewPassword=abc");
    get("User_ChangePassword/?CardID=99999&OldPassword=1&NewPassword=abc");
    get("User_ChangePassword/?OldPassword=654321&NewPassword=abc");
    get("User_ChangePassword/?CardID=10010&OldPassword=654321&NewPassword=");
    get("User_ChangePassword/?CardID=10010&OldPassword=654321&NewPassword=abc");
    get("User_Login/?CardID=10010&Password=abc");
    return out;
}

std::uint64_t fnv1a(const std::string& s) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

// The answers of one server, each reduced to a digest of its status, content type and body; the
// server's own address (an ephemeral port) is written as HOST so runs compare.
std::vector<std::string> digests(const std::string& time, const std::vector<Request>& requests) {
    OfficeSimulator sim(test::at("2026-12-07", time));
    EXPECT_TRUE(sim.start()) << sim.lastError();
    httplib::Client c("127.0.0.1", sim.port());
    c.set_keep_alive(true);
    c.set_read_timeout(30, 0);
    const std::string self = "127.0.0.1:" + std::to_string(sim.port());
    std::vector<std::string> out;
    for (auto& r : requests) {
        std::string path = "/OfficeServiceQ/" + r.path;
        httplib::Result res =
            r.method == "GET"
                ? c.Get(path.c_str())
                : c.Post(path.c_str(), httplib::MultipartFormDataItems{
                                           {"photo.jpg", r.body, "pic", "application/octet-stream"}});
        std::string seen = "no answer";
        if (res) {
            std::string body = res->body;
            for (size_t at; (at = body.find(self)) != std::string::npos;)
                body.replace(at, self.size(), "HOST");
            seen = std::to_string(res->status) + "\n" + res->get_header_value("Content-Type") + "\n" + body;
        }
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08llx", static_cast<unsigned long long>(fnv1a(seen) >> 32));
        out.push_back(hex);
    }
    return out;
}

}  // namespace

// Mid-morning (a shift half run) and late evening (both shifts done, fuel recorded) of one day, each
// against its own file of digests, one line per request.
class GoldenAnswers : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenAnswers, EveryMethodAnswersAsSavedForEveryRequest) {
    const std::string time = GetParam();
    const std::string file = std::string(BUSDESK_TEST_DATA_DIR "/server/golden-answers-") +
                             time.substr(0, 2) + time.substr(3, 2) + ".txt";
    const auto requests = goldenRequests();
    const auto lines = digests(time, requests);
    ASSERT_EQ(lines.size(), requests.size());
    if (std::getenv("BUSDESK_UPDATE_GOLDEN")) {
        std::ofstream out(file, std::ios::trunc);
        for (auto& l : lines) out << l << "\n";
        ASSERT_TRUE(out.good()) << file;
        GTEST_SKIP() << "rewrote " << file << " with " << lines.size() << " digests";
    }
    std::ifstream in(file);
    ASSERT_TRUE(in) << file;
    std::vector<std::string> saved;
    for (std::string l; std::getline(in, l);) saved.push_back(l);
    ASSERT_EQ(saved.size(), lines.size()) << "the request set changed: rewrite the golden file";
    // BUSDESK_GOLDEN_SHOW=N lists up to N changed answers instead of 20.
    const char* show = std::getenv("BUSDESK_GOLDEN_SHOW");
    const int limit = show ? std::atoi(show) : 20;
    int differing = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (saved[i] != lines[i] && ++differing <= limit)
            ADD_FAILURE() << "changed: " << requests[i].method << " /OfficeServiceQ/" << requests[i].path;
    EXPECT_EQ(differing, 0) << "of " << lines.size() << " answers at " << time;
}

INSTANTIATE_TEST_SUITE_P(AtTwoTimesOfDay, GoldenAnswers, ::testing::Values("10:00:00", "21:50:00"),
                         [](const auto& info) {
                             return std::string(info.param).substr(0, 2) == "10" ? "Morning" : "Evening";
                         });
