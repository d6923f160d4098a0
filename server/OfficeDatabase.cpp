#include "server/OfficeDatabase.h"

#include <sqlite3.h>

#include <cstdio>

namespace busdesk::sim {
namespace {

// A prepared statement that finalizes itself.
class Stmt {
  public:
    Stmt(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Stmt() { sqlite3_finalize(s_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    Stmt& bind(int i, const std::string& v) {
        sqlite3_bind_text(s_, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& bind(int i, double v) {
        sqlite3_bind_double(s_, i, v);
        return *this;
    }
    Stmt& bind(int i, int v) { return bind(i, static_cast<long long>(v)); }
    Stmt& bind(int i, const char* v) { return bind(i, std::string(v)); }
    Stmt& bind(int i, long long v) {
        sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    bool step() { return s_ && sqlite3_step(s_) == SQLITE_ROW; }
    bool run() { return s_ && sqlite3_step(s_) == SQLITE_DONE; }
    std::string text(int c) const {
        auto* p = sqlite3_column_text(s_, c);
        return p ? reinterpret_cast<const char*>(p) : "";
    }
    long long integer(int c) const { return sqlite3_column_int64(s_, c); }
    double real(int c) const { return sqlite3_column_double(s_, c); }

  private:
    sqlite3_stmt* s_ = nullptr;
};

const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS depots(id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS employees(
  card TEXT PRIMARY KEY, empid TEXT UNIQUE NOT NULL, password TEXT NOT NULL, name TEXT NOT NULL,
  role TEXT, role_name TEXT, idcard TEXT, org_id INTEGER REFERENCES depots(id), org_type TEXT,
  address TEXT, birthday TEXT, graduate TEXT, one_card TEXT, politic TEXT, service_age TEXT,
  sex TEXT, start_time TEXT, telephone TEXT, is_driver INTEGER DEFAULT 0);
CREATE TABLE IF NOT EXISTS routes(id TEXT PRIMARY KEY, name TEXT, first_stop TEXT, last_stop TEXT, length REAL);
CREATE TABLE IF NOT EXISTS buses(busname TEXT PRIMARY KEY, route_id TEXT REFERENCES routes(id));
CREATE TABLE IF NOT EXISTS bulletins(
  id TEXT PRIMARY KEY, kind INTEGER, title TEXT, abstract TEXT, html TEXT, publisher TEXT, released TEXT);
CREATE TABLE IF NOT EXISTS suggestions(
  id INTEGER PRIMARY KEY AUTOINCREMENT, empid TEXT, content TEXT, parent_id TEXT, type TEXT,
  que_time TEXT, ans_content TEXT, ans_time TEXT);
CREATE TABLE IF NOT EXISTS suggestion_images(suggestion_id INTEGER REFERENCES suggestions(id), file TEXT);
)";

struct SeedEmployee {
    const char *card, *empid, *password, *name, *roleName, *idcard, *sex, *birthday, *phone, *oneCard;
    int depot;
    bool driver;
};

const SeedEmployee kEmployees[] = {
    {"10086", "E10086", "123456", "张建国", "驾驶员", "370102198506123456", "1", "1985-06-12", "13805310086",
     "880010086", 1, true},
    {"10010", "E10010", "654321", "李秀梅", "调度员", "370103199003154428", "2", "1990-03-15", "13905310010",
     "880010010", 2, false},
    {"20001", "E20001", "111111", "王海涛", "驾驶员", "370104198201012231", "1", "1982-01-01", "13700000001",
     "880020001", 1, true},
    {"20002", "E20002", "111111", "刘志强", "驾驶员", "370104198704052219", "1", "1987-04-05", "13700000002",
     "880020002", 1, true},
    {"20003", "E20003", "111111", "陈红", "驾驶员", "370104199108082246", "2", "1991-08-08", "13700000003",
     "880020003", 2, true},
    {"20004", "E20004", "111111", "赵磊", "驾驶员", "370104198811112215", "1", "1988-11-11", "13700000004",
     "880020004", 2, true},
    {"20005", "E20005", "111111", "孙丽娟", "驾驶员", "370104199302202267", "2", "1993-02-20", "13700000005",
     "880020005", 3, true},
};

const char* kDepots[] = {"第一运营公司", "第二运营公司", "第三运营公司"};

const char* kRoutes[][4] = {{"1", "1路", "火车站", "长途汽车站"}, {"5", "5路", "泉城广场", "燕山立交桥"},
                            {"12", "12路", "大明湖", "奥体中心"}, {"K8", "K8路", "动物园", "高新区管委会"},
                            {"36", "36路", "经十路", "西客站"},   {"Y2", "游2路", "趵突泉", "千佛山"}};

const char* kAnnouncementTitles[] = {"关于冬季安全行车的通知",
                                     "元旦期间线路调整公告",
                                     "2026年度先进驾驶员表彰决定",
                                     "关于开展消防演练的通知",
                                     "车辆年检安排",
                                     "新能源车辆充电规范",
                                     "春运保障工作部署",
                                     "关于规范着装的通知",
                                     "职工体检安排",
                                     "雨雪天气应急预案启动通知",
                                     "K8路临时绕行公告",
                                     "智能调度系统上线通知",
                                     "关于加强车厢卫生的通知",
                                     "安全生产月活动方案",
                                     "驾驶员技能比武报名通知",
                                     "夏季防暑降温措施",
                                     "关于调整食堂开放时间的通知",
                                     "公交卡系统升级公告",
                                     "线路优化征求意见",
                                     "文明服务示范线评选",
                                     "关于开展节能降耗竞赛的通知",
                                     "国庆期间运营安排",
                                     "职工书屋开放通知",
                                     "关于修订考勤制度的说明",
                                     "年终总结会议通知"};

const char* kRegulationTitles[] = {"驾驶员安全操作规程", "车辆日常保养制度", "考勤管理办法",
                                   "营收管理规定",       "车辆维修管理制度", "燃料使用管理办法",
                                   "乘务服务规范",       "交通事故处理办法", "物资领用管理规定",
                                   "安全奖惩办法",       "调度工作规程",     "职工培训管理制度"};

std::string pad2(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

}  // namespace

OfficeDatabase::OfficeDatabase(const std::string& path, unsigned seed) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
        error_ = db_ ? sqlite3_errmsg(db_) : "cannot open database";
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_busy_timeout(db_, 2000);
    createSchema();
    seedIfEmpty(seed);
}

OfficeDatabase::~OfficeDatabase() {
    sqlite3_close(db_);
}

bool OfficeDatabase::exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        error_ = err ? err : "sqlite error";
        sqlite3_free(err);
        return false;
    }
    return true;
}

void OfficeDatabase::createSchema() {
    exec(kSchema);
}

void OfficeDatabase::seedIfEmpty(unsigned seed) {
    {
        Stmt s(db_, "SELECT COUNT(*) FROM employees");
        if (s.step() && s.integer(0) > 0) return;
    }
    exec("BEGIN");
    for (int i = 0; i < 3; ++i)
        Stmt(db_, "INSERT INTO depots(id,name) VALUES(?,?)").bind(1, i + 1).bind(2, kDepots[i]).run();
    for (const auto& e : kEmployees) {
        Stmt s(db_,
               "INSERT INTO "
               "employees(card,empid,password,name,role,role_name,idcard,org_id,org_type,address,birthday,"
               "graduate,one_card,politic,service_age,sex,start_time,telephone,is_driver) "
               "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        int birthYear = std::stoi(std::string(e.birthday).substr(0, 4));
        int startYear = birthYear + 22;
        s.bind(1, e.card).bind(2, e.empid).bind(3, e.password).bind(4, e.name).bind(5, e.driver ? "3" : "2");
        s.bind(6, e.roleName).bind(7, e.idcard).bind(8, e.depot).bind(9, "1");
        s.bind(10, std::string("济南市历下区文化东路") + std::to_string(10 + e.depot * 7) + "号");
        s.bind(11, e.birthday).bind(12, e.depot == 2 ? "本科" : "高中").bind(13, e.oneCard);
        s.bind(14, e.depot == 1 ? "中共党员" : "群众").bind(15, std::to_string(2026 - startYear));
        s.bind(16, e.sex)
            .bind(17, std::to_string(startYear) + "-07-01")
            .bind(18, e.phone)
            .bind(19, e.driver ? 1 : 0);
        s.run();
    }
    int bus = 12001;
    for (const auto& r : kRoutes) {
        double length =
            9.5 + static_cast<double>(std::string(r[0]).size()) * 3.7 + static_cast<double>(seed % 5);
        Stmt(db_, "INSERT INTO routes VALUES(?,?,?,?,?)")
            .bind(1, r[0])
            .bind(2, r[1])
            .bind(3, r[2])
            .bind(4, r[3])
            .bind(5, length)
            .run();
        for (int k = 0; k < 3; ++k)
            Stmt(db_, "INSERT INTO buses VALUES(?,?)").bind(1, std::to_string(bus++)).bind(2, r[0]).run();
    }
    auto addBulletin = [&](int kind, int i, const std::string& title) {
        // Spread releases back from a fixed day so paging order is stable.
        int day = 28 - (i % 28), month = 12 - (i / 28);
        std::string date = "2026-" + pad2(month) + "-" + pad2(day);
        std::string id = (kind == 2 ? "N" : "R") + std::to_string(1000 + i);
        std::string html =
            "<h3>" + title + "</h3><p>各单位、全体职工：</p><p>为进一步做好" + title +
            "相关工作，现将有关事项通知如下，请认真遵照执行。</p><ol><li>提高认识，加强领导。</li>"
            "<li>明确责任，落实到人。</li><li>严格检查，及时整改。</li></ol>";
        if (i % 3 == 0) html += "<p><img src=\"/static/bulletin" + std::to_string(i % 2 + 1) + ".png\"/></p>";
        html += "<p style=\"text-align:right\">" + std::string(kind == 2 ? "公司办公室" : "安全技术部") +
                "<br/>" + date + "</p>";
        Stmt(db_, "INSERT INTO bulletins VALUES(?,?,?,?,?,?,?)")
            .bind(1, id)
            .bind(2, kind)
            .bind(3, title)
            .bind(4, title + "。")
            .bind(5, html)
            .bind(6, kind == 2 ? "公司办公室" : "安全技术部")
            .bind(7, date)
            .run();
    };
    int i = 0;
    for (auto* t : kAnnouncementTitles) addBulletin(2, i++, t);
    i = 0;
    for (auto* t : kRegulationTitles) addBulletin(3, i++, t);
    auto sid = addSuggestion("E10086", "12005号车后门关闭时有异响，请安排检修。", "0", "车辆问题",
                             "2026-11-20 08:31:12");
    Stmt(db_, "UPDATE suggestions SET ans_content=?, ans_time=? WHERE id=?")
        .bind(1, "已安排保修车间检查，后门气泵已更换，感谢反馈。")
        .bind(2, "2026-11-21 15:02:40")
        .bind(3, sid)
        .run();
    addSuggestionImage(sid, "/static/bulletin1.png");
    exec("COMMIT");
}

std::optional<Employee> OfficeDatabase::employee(const std::string& key) const {
    std::lock_guard lock(mutex_);
    Stmt s(
        db_,
        "SELECT "
        "e.card,e.empid,e.password,e.name,e.role,e.role_name,e.idcard,e.org_id,d.name,e.org_type,e.address,"
        "e.birthday,e.graduate,e.one_card,e.politic,e.service_age,e.sex,e.start_time,e.telephone "
        "FROM employees e LEFT JOIN depots d ON d.id=e.org_id WHERE e.card=?1 OR e.empid=?1 OR "
        "e.one_card=?1");
    s.bind(1, key);
    if (!s.step()) return std::nullopt;
    Employee e;
    e.cardID = s.text(0);
    e.password = s.text(2);
    auto& p = e.profile;
    p["EmpID"] = s.text(1);
    p["EmpRole"] = s.text(4);
    p["EmpRoleName"] = s.text(5);
    p["IDcard"] = s.text(6);
    p["Name"] = s.text(3);
    p["OrgID"] = s.integer(7);  // a number on the wire, as the real service sends it
    p["OrgName"] = s.text(8);
    p["OrgType"] = s.text(9);
    p["address"] = s.text(10);
    p["birthday"] = s.text(11);
    p["graduate"] = s.text(12);
    p["oneCardID"] = s.text(13);
    p["politic"] = s.text(14);
    p["serviceAge"] = s.text(15);
    p["sex"] = s.text(16);
    p["startTime"] = s.text(17);
    p["telephone"] = s.text(18);
    return e;
}

std::optional<Employee> OfficeDatabase::employeeByBusCard(const std::string& oneCardID) const {
    return employee(oneCardID);
}

std::vector<Employee> OfficeDatabase::drivers() const {
    std::vector<std::string> cards;
    {
        std::lock_guard lock(mutex_);
        Stmt s(db_, "SELECT card FROM employees WHERE is_driver=1 ORDER BY card");
        while (s.step()) cards.push_back(s.text(0));
    }
    std::vector<Employee> out;
    for (auto& c : cards)
        if (auto e = employee(c)) out.push_back(*e);
    return out;
}

bool OfficeDatabase::setPassword(const std::string& cardID, const std::string& password) {
    std::lock_guard lock(mutex_);
    Stmt s(db_, "UPDATE employees SET password=? WHERE card=?");
    s.bind(1, password).bind(2, cardID);
    return s.run() && sqlite3_changes(db_) == 1;
}

std::vector<OfficeDatabase::Route> OfficeDatabase::routes() const {
    std::lock_guard lock(mutex_);
    std::vector<Route> out;
    Stmt s(db_, "SELECT id,name,first_stop,last_stop,length FROM routes ORDER BY rowid");
    while (s.step()) out.push_back({s.text(0), s.text(1), s.text(2), s.text(3), s.real(4)});
    return out;
}

std::vector<std::string> OfficeDatabase::buses() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    Stmt s(db_, "SELECT busname FROM buses ORDER BY busname");
    while (s.step()) out.push_back(s.text(0));
    return out;
}

std::string OfficeDatabase::depotName(int i) const {
    return kDepots[static_cast<unsigned>(i) % 3];
}

boost::json::array OfficeDatabase::bulletins(int kind, int page) const {
    std::lock_guard lock(mutex_);
    boost::json::array out;
    if (page < 1) return out;
    Stmt s(db_,
           "SELECT id,title,abstract,html,publisher,released FROM bulletins WHERE kind=? "
           "ORDER BY released DESC, id LIMIT 10 OFFSET ?");
    s.bind(1, kind).bind(2, static_cast<long long>(page - 1) * 10);
    while (s.step()) {
        boost::json::object o;
        o["ID"] = s.text(0);
        o["Title"] = s.text(1);
        o["ContentAbstract"] = s.text(2);
        o["ContentHtml"] = s.text(3);
        // Announcements and regulations spell the publisher key differently on the wire.
        o[kind == 2 ? "Publishby" : "PublishBy"] = s.text(4);
        o["RealeaseDate"] = s.text(5);
        o["RealeaseDateTime"] = s.text(5) + " 09:00:00";
        out.push_back(std::move(o));
    }
    return out;
}

int OfficeDatabase::bulletinCount(int kind) const {
    std::lock_guard lock(mutex_);
    Stmt s(db_, "SELECT COUNT(*) FROM bulletins WHERE kind=?");
    s.bind(1, kind);
    return s.step() ? static_cast<int>(s.integer(0)) : 0;
}

long long OfficeDatabase::addSuggestion(const std::string& empid, const std::string& content,
                                        const std::string& parentID, const std::string& type,
                                        const std::string& when) {
    std::lock_guard lock(mutex_);
    Stmt s(db_,
           "INSERT INTO suggestions(empid,content,parent_id,type,que_time,ans_content,ans_time) "
           "VALUES(?,?,?,?,?,'','')");
    s.bind(1, empid).bind(2, content).bind(3, parentID).bind(4, type).bind(5, when);
    if (!s.run()) return 0;
    return sqlite3_last_insert_rowid(db_);
}

bool OfficeDatabase::suggestionExists(long long id) const {
    std::lock_guard lock(mutex_);
    Stmt s(db_, "SELECT 1 FROM suggestions WHERE id=?");
    s.bind(1, id);
    return s.step();
}

void OfficeDatabase::addSuggestionImage(long long id, const std::string& fileName) {
    std::lock_guard lock(mutex_);
    Stmt(db_, "INSERT INTO suggestion_images VALUES(?,?)").bind(1, id).bind(2, fileName).run();
}

std::vector<OfficeDatabase::Suggestion> OfficeDatabase::suggestions(const std::string& empid) const {
    std::lock_guard lock(mutex_);
    std::vector<Suggestion> out;
    Stmt s(
        db_,
        "SELECT id,empid,content,parent_id,type,que_time,ans_content,ans_time FROM suggestions WHERE empid=? "
        "ORDER BY id DESC");
    s.bind(1, empid);
    while (s.step())
        out.push_back(
            {s.integer(0), s.text(1), s.text(2), s.text(3), s.text(4), s.text(5), s.text(6), s.text(7), {}});
    for (auto& sug : out) {
        Stmt im(db_, "SELECT file FROM suggestion_images WHERE suggestion_id=? ORDER BY rowid");
        im.bind(1, sug.id);
        while (im.step()) sug.images.push_back(im.text(0));
    }
    return out;
}

}  // namespace busdesk::sim
