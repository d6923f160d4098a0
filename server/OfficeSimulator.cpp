#include "server/OfficeSimulator.h"

#include <httplib.h>
#include <sys/socket.h>
#include <unicode/ucnv.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "server/DemoData.h"
#include "server/DemoPictures.h"
#include "server/FeedbackStore.h"
#include "server/OfficeDatabase.h"

namespace busdesk::sim {
namespace json = boost::json;
namespace fs = std::filesystem;

struct OfficeSimulator::Answer {
    int status = 200;
    std::string body;
    std::string contentType = "application/json; charset=utf-8";
};

namespace {

std::string param(const httplib::Request& req, const char* key) {
    return req.has_param(key) ? req.get_param_value(key) : std::string();
}

std::string localNow() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char b[32];
    std::strftime(b, sizeof b, "%Y-%m-%d %H:%M:%S", &tm);
    return b;
}

void appendJSON(std::string& out, const json::value& v) {
    switch (v.kind()) {
        case json::kind::object: {
            out += '{';
            bool first = true;
            for (auto& [k, x] : v.get_object()) {
                if (!first) out += ',';
                first = false;
                out += json::serialize(json::string(k));
                out += ':';
                appendJSON(out, x);
            }
            out += '}';
            break;
        }
        case json::kind::array: {
            out += '[';
            bool first = true;
            for (auto& x : v.get_array()) {
                if (!first) out += ',';
                first = false;
                appendJSON(out, x);
            }
            out += ']';
            break;
        }
        case json::kind::double_: {
            // The shortest text that reads back the same: 144.7, not 1.447E2.
            char b[64];
            auto r = std::to_chars(b, b + sizeof b, v.get_double());
            out.append(b, r.ptr);
            break;
        }
        default:
            out += json::serialize(v);
    }
}

}  // namespace

std::string jsonText(const json::value& v) {
    std::string out;
    appendJSON(out, v);
    return out;
}

namespace {

std::optional<std::string> encodeAs(const std::string& utf8, const std::string& charset) {
    UErrorCode status = U_ZERO_ERROR;
    std::string out(utf8.size() * 4 + 16, '\0');
    int32_t n = ucnv_convert(charset.c_str(), "UTF-8", out.data(), static_cast<int32_t>(out.size()),
                             utf8.data(), static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    out.resize(static_cast<size_t>(n));
    return out;
}

bool isLoopback(const std::string& addr) {
    return addr == "127.0.0.1" || addr == "::1" || addr.rfind("127.", 0) == 0 || addr == "::ffff:127.0.0.1";
}

}  // namespace

OfficeSimulator::OfficeSimulator(SimOptions options) : options_(std::move(options)) {}

OfficeSimulator::~OfficeSimulator() {
    stop();
    if (ownsDataDir_) {
        std::error_code ec;
        fs::remove_all(options_.dataDir, ec);
    }
}

bool OfficeSimulator::start(const std::string& host, int port) {
    if (server_) return true;
    options_.host = host;
    options_.port = port;
    return start();
}

std::string OfficeSimulator::baseURL() const {
    return "http://" + options_.host + ":" + std::to_string(port_) + "/";
}

bool OfficeSimulator::start() {
    if (server_) return true;
    if (options_.dataDir.empty()) {
        std::string tmpl = (fs::temp_directory_path() / "busdesk-sim-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) {
            error_ = "cannot create a data folder";
            return false;
        }
        options_.dataDir = tmpl;
        ownsDataDir_ = true;
    }
    std::error_code ec;
    fs::create_directories(options_.dataDir, ec);
    long today = DemoData::dayNumber(nowStamp().substr(0, 10));
    db_ = std::make_unique<OfficeDatabase>(options_.dbPath, options_.seed, today < 0 ? 20000 : today);
    if (!db_->ok()) {
        error_ = "database: " + db_->lastError();
        db_.reset();
        return false;
    }
    demo_ = std::make_unique<DemoData>(*db_, options_.seed, [this] { return nowStamp(); });
    feedback_ = std::make_unique<FeedbackStore>(*db_, options_.dataDir);
    server_ = std::make_unique<httplib::Server>();
    int threads = std::max(2, options_.threads);
    server_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    server_->set_tcp_nodelay(true);
    // The library listens with a backlog of 5, which makes a burst of clients wait out SYN retries;
    // keep hold of the listening socket so the backlog can be raised once it is bound.
    auto listening = std::make_shared<int>(-1);
    server_->set_socket_options([listening](int fd) {
        int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        *listening = fd;
    });
    server_->set_keep_alive_max_count(1000);
    // An idle kept-alive connection holds its worker until this runs out, and stop() waits for
    // every worker: the library's 5 s made each stop take 5 s once a client had connected.
    server_->set_keep_alive_timeout(1);
    install();
    stopping_ = false;
    port_ = options_.port == 0 ? server_->bind_to_any_port(options_.host)
                               : (server_->bind_to_port(options_.host, options_.port) ? options_.port : -1);
    if (port_ <= 0) {
        error_ = "cannot listen on " + options_.host + ":" + std::to_string(options_.port);
        server_.reset();
        return false;
    }
    if (*listening >= 0) ::listen(*listening, SOMAXCONN);
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    for (int i = 0; i < 2000 && !server_->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void OfficeSimulator::stop() {
    if (!server_) return;
    stopping_ = true;
    server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
}

bool OfficeSimulator::waitOrStop(int milliseconds) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (stopping_) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !stopping_;
}

std::string OfficeSimulator::nowStamp() const {
    if (options_.today.empty()) return localNow();
    return options_.today + " " + (options_.timeOfDay.empty() ? "12:00:00" : options_.timeOfDay);
}

std::string OfficeSimulator::base(const httplib::Request& req) const {
    return "http://" + hostOf(req) + "/";
}

std::string OfficeSimulator::hostOf(const httplib::Request& req) const {
    auto host = req.get_header_value("Host");
    return host.empty() ? options_.host + ":" + std::to_string(port_) : host;
}

void OfficeSimulator::install() {
    auto& s = *server_;
    s.Get(R"(/OfficeServiceQ/(.*))",
          [this](const httplib::Request& q, httplib::Response& r) { handleOffice(q, r); });
    s.Post(R"(/OfficeServiceQ/(.*))",
           [this](const httplib::Request& q, httplib::Response& r) { handleOffice(q, r); });

    s.Get(R"(/static/([A-Za-z0-9]+\.png))", [](const httplib::Request& q, httplib::Response& r) {
        auto png = demoPicturePNG(q.matches[1]);
        if (png.empty()) {
            r.status = 404;
            return;
        }
        r.set_content(png, "image/png");
    });
    s.Get(R"(/uploads/([0-9]+p[0-9]+\.(jpg|png|bin)))",
          [this](const httplib::Request& q, httplib::Response& r) {
              std::ifstream in(fs::path(options_.dataDir) / std::string(q.matches[1]), std::ios::binary);
              if (!in) {
                  r.status = 404;
                  return;
              }
              std::stringstream ss;
              ss << in.rdbuf();
              std::string ext = q.matches[2];
              r.set_content(ss.str(), ext == "jpg"   ? "image/jpeg"
                                      : ext == "png" ? "image/png"
                                                     : "application/octet-stream");
          });
    s.Get("/LXVoffice/index.html", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>企业文化</title></head><body>"
            "<h2>安全 · 准点 · 文明 · 温馨</h2><p><img src=\"/static/culture.png\"/></p>"
            "<p>我们以“让市民出行更便捷”为使命，坚持安全第一、服务至上，打造城市公交服务品牌。</p>"
            "<ul><li>企业精神：团结、奉献、务实、创新</li><li>服务理念：乘客至上，真诚服务</li></ul></body></"
            "html>",
            "text/html; charset=utf-8");
    });

    auto admin = [this](const httplib::Request& q, httplib::Response& r, bool clear) {
        if (!isLoopback(q.remote_addr)) {
            r.status = 403;
            return;
        }
        if (clear) {
            if (q.has_param("method"))
                faults_.clear(q.get_param_value("method"));
            else
                faults_.clear();
        } else if (q.method == "POST") {
            std::error_code ec;
            auto v = json::parse(q.body, ec);
            std::string why;
            if (ec || !faults_.apply(v, &why)) {
                r.status = 400;
                r.set_content(ec ? "invalid JSON" : why, "text/plain; charset=utf-8");
                return;
            }
        }
        r.set_content(json::serialize(faults_.toJSON()), "application/json; charset=utf-8");
    };
    s.Post("/__sim/faults", [admin](const httplib::Request& q, httplib::Response& r) { admin(q, r, false); });
    s.Get("/__sim/faults", [admin](const httplib::Request& q, httplib::Response& r) { admin(q, r, false); });
    s.Delete("/__sim/faults",
             [admin](const httplib::Request& q, httplib::Response& r) { admin(q, r, true); });
}

void OfficeSimulator::handleOffice(const httplib::Request& req, httplib::Response& res) {
    ++requests_;
    std::string rest = req.matches[1];
    std::string method;
    // Every method ends in "/", except the logo; the upload carries the record identifier after it.
    if (rest.rfind("UploadPictureFromID/", 0) == 0 && req.method == "POST") {
        method = "UploadPictureFromID";
    } else if (rest == "Query_CompanyLogo") {
        method = rest;
    } else if (!rest.empty() && rest.back() == '/' && rest.find('/') == rest.size() - 1 &&
               rest != "Query_CompanyLogo/") {
        method = rest.substr(0, rest.size() - 1);
    } else {
        res.status = 404;
        res.set_content("unknown method", "text/plain; charset=utf-8");
        return;
    }
    if (req.method == "POST" && method != "UploadPictureFromID") {
        res.status = 405;
        return;
    }
    Answer a = answer(method, req);
    deliver(method, req.has_param("RunDate") ? req.get_param_value("RunDate") : std::string(), std::move(a),
            res);
}

OfficeSimulator::Answer OfficeSimulator::answer(const std::string& method, const httplib::Request& req) {
    Answer a;
    auto p = [&](const char* k) { return param(req, k); };
    auto jsonAnswer = [&](const json::value& v) {
        a.body = jsonText(v);
        return a;
    };
    auto text = [&](const std::string& t) {
        a.body = t;
        return a;
    };
    auto conflict = [&] {
        a.status = 409;
        a.contentType = "text/plain; charset=utf-8";
        a.body = "Idempotency-Key already used for other content";
        return a;
    };
    bool all = p("all") == "1";

    if (method == "User_Login") {
        auto e = db_->employee(p("CardID"));
        // Only the staff card number signs in; an identifier typed as card number is refused too.
        if (!e || e->cardID != p("CardID") || e->password != p("Password")) {
            json::object o;
            o["IsSuccess"] = 0;
            o["FailReason"] = "用户名或密码错误";
            return jsonAnswer(o);
        }
        json::object o = e->profile;
        o["IsSuccess"] = "1";
        o["FailReason"] = "";
        return jsonAnswer(o);
    }
    if (method == "User_ChangePassword") {
        json::object o;
        auto e = db_->employee(p("CardID"));
        if (!req.has_param("CardID") || !req.has_param("OldPassword") || p("NewPassword").empty()) {
            o["IsSuccess"] = false;
            o["FailReason"] = "参数不完整";
        } else if (!e || e->cardID != p("CardID")) {
            o["IsSuccess"] = false;
            o["FailReason"] = "用户不存在";
        } else if (e->password != p("OldPassword")) {
            o["IsSuccess"] = false;
            o["FailReason"] = "原密码错误";
        } else {
            o["IsSuccess"] = db_->setPassword(e->cardID, p("NewPassword"));
            o["FailReason"] = "";
        }
        return jsonAnswer(o);
    }
    if (method == "Query_ByNewInfoPartNP" || method == "Query_ByRegulationsInfoPartNP") {
        int page = std::atoi(p("Index").c_str());
        // A missing Index means the first page; anything else must be a page number from 1.
        if (req.has_param("Index") && p("Index").find_first_not_of("0123456789") != std::string::npos)
            page = 0;
        else if (!req.has_param("Index"))
            page = 1;
        return jsonAnswer(db_->bulletins(method == "Query_ByNewInfoPartNP" ? 2 : 3, page, base(req)));
    }
    if (method == "Query_CompanyLogo") {
        a.contentType = "text/plain; charset=utf-8";
        return text(base(req) + "static/companylogo.png");
    }
    if (method == "Query_DisplanInfo") return jsonAnswer(demo_->plan(p("EmpID"), p("RunDate")));
    if (method == "Query_NosendDisplanInfo") return jsonAnswer(demo_->nosendPlan(p("EmpID"), p("RunDate")));
    if (method == "Query_Arrange") return jsonAnswer(demo_->arrange(p("EmpID"), p("RunDate")));
    if (method == "Query_FinishDisplan") return jsonAnswer(demo_->finishedTrips(p("EmpID"), p("RunDate")));
    if (method == "Query_AlertSUM")
        return jsonAnswer(demo_->alertSummary(p("EmpID"), p("Buselfid"), p("StartTime"), p("EndTime")));
    if (method == "Query_AlertDetail")
        return jsonAnswer(
            demo_->alertDetail(p("EmpID"), p("Buselfid"), p("Alerttype"), p("StartTime"), p("EndTime")));
    if (method == "Query_TembusdefassInfo")
        return jsonAnswer(demo_->maintenance(p("EmpID"), p("Buselfid"), p("StartTime"), p("EndTime")));
    if (method == "Query_WorkorderInfo")
        return jsonAnswer(demo_->workorders(p("EmpID"), p("Buselfid"), p("StartTime"), p("EndTime")));
    if (method == "Query_FdisempdutyInfo")
        return jsonAnswer(demo_->attendance(p("EmpID"), p("StartTime"), p("EndTime")));
    if (method == "Query_StockbillSUM")
        return jsonAnswer(demo_->stockSummary(p("EmpID"), p("Buselfid"), p("StartTime")));
    if (method == "Query_StockbillInfo")
        return jsonAnswer(demo_->stockDetail(p("EmpID"), p("Buselfid"), p("StartTime")));
    if (method == "Query_DssfuelcostSUM")
        return jsonAnswer(demo_->fuelSummary(p("EmpID"), p("Buselfid"), p("StartTime")));
    if (method == "Query_DssfuelcostInfo")
        return jsonAnswer(demo_->fuelDetail(p("EmpID"), p("Buselfid"), p("StartTime")));
    if (method == "Query_DssticketreceiptInfoOneday")
        return jsonAnswer(demo_->revenueOneDay(p("EmpID"), all, p("StartTime")));
    if (method == "Query_DssticketreceiptSUM")
        return jsonAnswer(demo_->revenueSummary(p("EmpID"), all, p("StartTime")));
    if (method == "Query_DssticketreceiptInfo")
        return jsonAnswer(demo_->revenueDetail(p("EmpID"), p("StartTime")));
    if (method == "Query_BusdaymileInfoOnedayByDriver")
        return jsonAnswer(demo_->mileOneDay(p("EmpID"), all, p("StartTime")));
    if (method == "Query_BusdaymileSUMByDriver")
        return jsonAnswer(demo_->mileSummary(p("EmpID"), all, p("StartTime")));
    if (method == "Query_BusdaymileInfoByDriver")
        return jsonAnswer(demo_->mileDetail(p("EmpID"), p("StartTime")));
    if (method == "Query_Salary") return jsonAnswer(demo_->salary(p("EmpID"), p("Month")));
    if (method == "Query_RechargeInfo")
        return jsonAnswer(demo_->mealCard(0, p("EmpID"), p("starttime"), p("endtime")));
    if (method == "Query_ConsumeInfo")
        return jsonAnswer(demo_->mealCard(1, p("EmpID"), p("starttime"), p("endtime")));
    if (method == "Query_MealsubsidsInfo")
        return jsonAnswer(demo_->mealCard(2, p("EmpID"), p("starttime"), p("endtime")));
    if (method == "Query_RidingRecode") return jsonAnswer(demo_->riding(p("EmpID")));
    if (method == "FeedBackInfoNP") {
        // A repeated Idempotency-Key answers what its first request got, stores nothing new, and
        // conflicts when the text or another field differs.
        auto e = db_->employee(p("Empid"));
        FeedbackStore::Submission s{e ? e->empID : p("Empid"), p("Content"),
                                    req.has_param("ParentID") ? p("ParentID") : "0", p("pType"), nowStamp()};
        auto r = feedback_->submit(s, e && !s.content.empty(), req.get_header_value("Idempotency-Key"));
        if (r.conflict) return conflict();
        return text("\"" + std::to_string(r.id) + "\"");
    }
    if (method == "UploadPictureFromID") {
        std::string rest = req.matches[1];
        long long id = std::atoll(rest.substr(std::string("UploadPictureFromID/").size()).c_str());
        std::vector<FeedbackStore::Photo> photos;
        for (auto& [field, file] : req.files) photos.push_back({field, &file.content});
        switch (feedback_->upload(id, photos, req.get_header_value("Idempotency-Key"))) {
            case FeedbackStore::Upload::Stored:
            case FeedbackStore::Upload::Repeated:
                return text("1");
            case FeedbackStore::Upload::Conflict:
                return conflict();
            case FeedbackStore::Upload::Refused:
                break;
        }
        return text("0");
    }
    if (method == "Query_FeedBackInfoNP") {
        auto e = db_->employee(p("EmpID"));
        return jsonAnswer(e ? feedback_->suggestions(e->empID, base(req)) : json::array());
    }
    a.status = 404;
    a.body = "unknown method";
    a.contentType = "text/plain; charset=utf-8";
    return a;
}

void OfficeSimulator::deliver(const std::string& method, const std::string& runDate, Answer a,
                              httplib::Response& res) {
    auto fault = faults_.lookup(method, runDate);
    if (fault) {
        if (fault->latencyMs && !waitOrStop(*fault->latencyMs)) {
            res.status = 503;
            return;
        }
        using B = Fault::Body;
        switch (fault->body) {
            case B::Normal:
                break;
            case B::Malformed:
                a.body = "{\"List\": [{\"ID\": \"1\", ";
                break;
            case B::Empty:
                a.body.clear();
                break;
            case B::SingleSpace:
                a.body = " ";
                break;
            case B::WrongKind:
                a.body = !a.body.empty() && a.body[0] == '[' ? "{}" : "[]";
                break;
            case B::NoAnswer:
                // Hold the connection until the client gives up or the server stops.
                waitOrStop(120000);
                res.status = 503;
                return;
            case B::CloseMidBody: {
                auto body = std::make_shared<std::string>(a.body.empty() ? std::string(64, ' ') : a.body);
                res.status = a.status;
                res.set_content_provider(body->size() + 1024, a.contentType,
                                         [body](size_t offset, size_t, httplib::DataSink& sink) {
                                             if (offset == 0) sink.write(body->data(), body->size() / 2);
                                             return false;  // drops the connection short of Content-Length
                                         });
                return;
            }
        }
        if (fault->charset) {
            if (auto enc = encodeAs(a.body, *fault->charset)) a.body = *enc;
            a.contentType = "application/json; charset=" + *fault->charset;
        }
        if (fault->contentType) a.contentType = *fault->contentType;
        if (fault->status) a.status = *fault->status;
    }
    res.status = a.status;
    res.set_content(a.body, a.contentType);
}

}  // namespace busdesk::sim
