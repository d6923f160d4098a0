#include "server/OfficeDatabase.h"

#include <sqlite3.h>

#include <cstdio>

#include "server/CivilDate.h"
#include "server/RowMapping.h"
#include "server/SqlStatement.h"

namespace busdesk::sim {
namespace {

using Stmt = SqlStatement;

// Bumped whenever a table changes: an older file is rebuilt from the seed.
constexpr int kSchemaVersion = 5;

const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS depots(id INTEGER PRIMARY KEY, name TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS employees(
  card TEXT PRIMARY KEY, empid TEXT UNIQUE NOT NULL, password TEXT NOT NULL, name TEXT NOT NULL,
  role TEXT, role_name TEXT, idcard TEXT, org_id INTEGER REFERENCES depots(id), org_type TEXT,
  address TEXT, birthday TEXT, graduate TEXT, one_card TEXT UNIQUE, politic TEXT, service_age TEXT,
  sex TEXT, start_time TEXT, telephone TEXT, is_driver INTEGER DEFAULT 0,
  bus TEXT, shift INTEGER DEFAULT 0, route_id TEXT);
CREATE TABLE IF NOT EXISTS routes(id TEXT PRIMARY KEY, name TEXT, first_stop TEXT, last_stop TEXT,
  length REAL, depot INTEGER REFERENCES depots(id));
CREATE TABLE IF NOT EXISTS buses(busname TEXT PRIMARY KEY, route_id TEXT REFERENCES routes(id),
  fuel TEXT, odometer REAL);
CREATE TABLE IF NOT EXISTS bulletins(
  id TEXT PRIMARY KEY, kind INTEGER, title TEXT, abstract TEXT, html TEXT, publisher TEXT, released TEXT);
CREATE TABLE IF NOT EXISTS suggestions(
  id INTEGER PRIMARY KEY AUTOINCREMENT, empid TEXT, content TEXT, parent_id TEXT, type TEXT,
  que_time TEXT, ans_content TEXT, ans_time TEXT);
-- file: "uploads/NAME" for a photo sent in (its bytes are DATA-DIR/NAME) or "static/..." for a seeded
-- one; name and size: the form field's name and the photo's size as sent.
CREATE TABLE IF NOT EXISTS suggestion_images(suggestion_id INTEGER REFERENCES suggestions(id), file TEXT,
  name TEXT, size INTEGER);
-- The Idempotency-Key of a text submission and what it carried; of an upload and a digest of its photos.
CREATE TABLE IF NOT EXISTS submission_keys(key TEXT PRIMARY KEY, suggestion_id INTEGER REFERENCES suggestions(id),
  empid TEXT, content TEXT, parent_id TEXT, type TEXT);
CREATE TABLE IF NOT EXISTS upload_keys(key TEXT PRIMARY KEY, suggestion_id INTEGER REFERENCES suggestions(id),
  digest TEXT);

-- Operations data, written day by day the first time a day is asked for.
CREATE TABLE IF NOT EXISTS generated_days(day TEXT PRIMARY KEY);
CREATE TABLE IF NOT EXISTS trips(
  id INTEGER PRIMARY KEY, run_date TEXT, busname TEXT, route_id TEXT, driver TEXT, shift INTEGER,
  seq INTEGER, leave_at TEXT, arrive_at TEXT, from_stop TEXT, to_stop TEXT, mile REAL, revenue INTEGER);
CREATE INDEX IF NOT EXISTS trips_by_driver ON trips(run_date, driver);
CREATE INDEX IF NOT EXISTS trips_by_bus ON trips(run_date, busname);
CREATE TABLE IF NOT EXISTS rosters(
  run_date TEXT, empid TEXT, busname TEXT, route_id TEXT, shift INTEGER, on_work TEXT, off_work TEXT,
  first_leave TEXT, trips INTEGER, shift_name TEXT);
CREATE INDEX IF NOT EXISTS rosters_by_day ON rosters(run_date);
CREATE TABLE IF NOT EXISTS ticket_receipts(
  trip_id INTEGER PRIMARY KEY REFERENCES trips(id), general_income REAL, general_num INTEGER,
  ic_income REAL, ic_num INTEGER, free_ic_num INTEGER, attendant TEXT);
CREATE TABLE IF NOT EXISTS mileage(trip_id INTEGER PRIMARY KEY REFERENCES trips(id), run_km REAL, unrun_km REAL);
CREATE TABLE IF NOT EXISTS violations(
  id INTEGER PRIMARY KEY, run_date TEXT, busname TEXT, driver TEXT, alert_type TEXT, alert_at TEXT,
  alert_value TEXT, stand_value TEXT, memo TEXT);
CREATE INDEX IF NOT EXISTS violations_by_day ON violations(run_date, busname);
CREATE TABLE IF NOT EXISTS maintenance_plans(
  id INTEGER PRIMARY KEY, busname TEXT, plan_date TEXT, level TEXT, company TEXT, miles REAL,
  plan_miles REAL, pre_miles REAL);
CREATE INDEX IF NOT EXISTS maintenance_by_day ON maintenance_plans(plan_date);
CREATE TABLE IF NOT EXISTS repair_orders(
  id INTEGER PRIMARY KEY, busname TEXT, report_date TEXT, report_at TEXT, comein_at TEXT, finish_at TEXT,
  create_type TEXT, org_name TEXT, cost REAL, checkview TEXT, notes TEXT, level TEXT, caretype TEXT,
  mendtype TEXT);
CREATE INDEX IF NOT EXISTS repairs_by_day ON repair_orders(report_date);
CREATE TABLE IF NOT EXISTS attendance(
  empid TEXT, exec_date TEXT, plan_on TEXT, plan_off TEXT, real_on_at TEXT, real_off_at TEXT);
CREATE INDEX IF NOT EXISTS attendance_by_emp ON attendance(empid, exec_date);
CREATE TABLE IF NOT EXISTS stock_bills(
  id INTEGER PRIMARY KEY, busname TEXT, bill_date TEXT, order_no TEXT, material TEXT, warehouse TEXT,
  supplier TEXT, job_type TEXT, count REAL, price REAL, drawn_by TEXT);
CREATE INDEX IF NOT EXISTS stock_by_day ON stock_bills(bill_date);
CREATE TABLE IF NOT EXISTS fuel_records(
  id INTEGER PRIMARY KEY, busname TEXT, run_date TEXT, route_id TEXT, fuel TEXT, quantity REAL, filled_at TEXT);
CREATE INDEX IF NOT EXISTS fuel_by_day ON fuel_records(run_date);
CREATE TABLE IF NOT EXISTS meal_card_records(
  id INTEGER PRIMARY KEY, empid TEXT, kind INTEGER, act_at TEXT, canteen TEXT, load_at TEXT, money REAL,
  remain REAL);
CREATE INDEX IF NOT EXISTS meal_by_emp ON meal_card_records(empid, kind, act_at);
CREATE TABLE IF NOT EXISTS bus_card_records(
  id INTEGER PRIMARY KEY, one_card TEXT, act_at TEXT, route_name TEXT, money REAL, remain REAL);
CREATE INDEX IF NOT EXISTS rides_by_card ON bus_card_records(one_card, act_at);
CREATE TABLE IF NOT EXISTS salaries(empid TEXT, month TEXT, position INTEGER, item TEXT, amount REAL,
  PRIMARY KEY(empid, month, position));
)";

const char* kDepots[] = {"第一运营公司", "第二运营公司", "第三运营公司"};

// Six routes, two to a depot, three vehicles each; every vehicle has an early and a late driver.
const char* kRoutes[][4] = {{"1", "1路", "火车站", "长途汽车站"}, {"5", "5路", "泉城广场", "燕山立交桥"},
                            {"12", "12路", "大明湖", "奥体中心"}, {"K8", "K8路", "动物园", "高新区管委会"},
                            {"36", "36路", "经十路", "西客站"},   {"Y2", "游2路", "趵突泉", "千佛山"}};
const double kRouteLength[] = {14.6, 13.2, 18.4, 21.7, 16.9, 11.3};
const char* kFuel[] = {"柴油(L)", "电(kWh)", "天然气(m³)"};

const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                           "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗",
                           "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯"};
const char* kGiven[] = {"海涛", "志强", "红",   "磊",   "丽娟", "建华", "明",   "秀英", "伟",   "桂兰",
                        "勇",   "艳",   "军",   "静",   "洪波", "晓燕", "德胜", "玉梅", "国庆", "春生",
                        "立新", "淑芬", "永刚", "金凤", "成林", "雪",   "长青", "丹",   "振华", "慧"};
const char* kStreets[] = {"文化东路", "经十路", "历山路",   "花园路",
                          "解放路",   "和平路", "英雄山路", "二环东路"};

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

const char* kRegulationTitles[] = {
    "驾驶员安全操作规程", "车辆日常保养制度", "考勤管理办法",     "营收管理规定",          "车辆维修管理制度",
    "燃料使用管理办法",   "乘务服务规范",     "交通事故处理办法", "物资领用管理规定",      "安全奖惩办法",
    "调度工作规程",       "职工培训管理制度", "车辆安全例检制度", "新能源车辆充电安全规定"};

std::string pad2(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

// Check character of an 18-character resident identity number.
char idCheck(const std::string& first17) {
    static const int weights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static const char codes[] = "10X98765432";
    int sum = 0;
    for (size_t i = 0; i < 17; ++i) sum += (first17[i] - '0') * weights[i];
    return codes[sum % 11];
}

unsigned mixSeed(unsigned seed, unsigned k) {
    unsigned long long z = (static_cast<unsigned long long>(seed) << 32) + k + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<unsigned>(z ^ (z >> 31));
}

struct NewEmployee {
    std::string card, empid, password, name, role, roleName, idcard, birthday, sex, bus, route;
    int depot = 1, shift = 0;
    bool driver = false;
};

}  // namespace

OfficeDatabase::OfficeDatabase(const std::string& path, unsigned seed, long today) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
        error_ = db_ ? sqlite3_errmsg(db_) : "cannot open database";
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_busy_timeout(db_, 2000);
    exec("PRAGMA synchronous=NORMAL");
    createSchema();
    seedIfEmpty(seed, today);
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
    long long version = 0;
    {
        Stmt v(db_, "PRAGMA user_version");
        if (v.step()) version = v.integer(0);
    }
    if (version != kSchemaVersion) {
        // A file from an older layout: start again from the seed rather than guess at a migration.
        std::vector<std::string> tables;
        {
            Stmt t(db_, "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'");
            while (t.step()) tables.push_back(t.text(0));
        }
        for (auto& t : tables) exec("DROP TABLE IF EXISTS \"" + t + "\"");
        exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    }
    exec(kSchema);
}

void OfficeDatabase::seedIfEmpty(unsigned seed, long today) {
    {
        Stmt s(db_, "SELECT COUNT(*) FROM employees");
        if (s.step() && s.integer(0) > 0) return;
    }
    int thisYear = std::stoi(civilDayText(today).substr(0, 4));
    exec("BEGIN");
    for (int i = 0; i < 3; ++i)
        Stmt(db_, "INSERT INTO depots(id,name) VALUES(?,?)").bind(1, i + 1).bind(2, kDepots[i]).run();
    std::vector<std::string> busnames;
    for (int r = 0; r < 6; ++r) {
        Stmt(db_, "INSERT INTO routes VALUES(?,?,?,?,?,?)")
            .bind(1, kRoutes[r][0])
            .bind(2, kRoutes[r][1])
            .bind(3, kRoutes[r][2])
            .bind(4, kRoutes[r][3])
            .bind(5, kRouteLength[r])
            .bind(6, r / 2 + 1)
            .run();
        for (int k = 0; k < 3; ++k) {
            std::string bus = std::to_string(12001 + r * 3 + k);
            busnames.push_back(bus);
            Stmt(db_, "INSERT INTO buses VALUES(?,?,?,?)")
                .bind(1, bus)
                .bind(2, kRoutes[r][0])
                .bind(3, kFuel[(r + k) % 3])
                .bind(4, 80000.0 + (mixSeed(seed, 500u + static_cast<unsigned>(r * 3 + k)) % 200000))
                .run();
        }
    }

    std::vector<NewEmployee> staff;
    auto person = [&](unsigned k, bool female) {
        NewEmployee e;
        unsigned h = mixSeed(seed, k);
        e.name = std::string(kSurnames[h % 28]) + kGiven[(h / 28) % 30];
        int year = 1968 + static_cast<int>(h % 30);
        e.birthday = std::to_string(year) + "-" + pad2(1 + static_cast<int>((h / 7) % 12)) + "-" +
                     pad2(1 + static_cast<int>((h / 13) % 28));
        e.sex = female ? "2" : "1";
        std::string first17 = "370" + pad2(1 + static_cast<int>(h % 12)) + "0" + e.birthday.substr(0, 4) +
                              e.birthday.substr(5, 2) + e.birthday.substr(8, 2) +
                              std::to_string(10 + (h / 3) % 89) + (female ? "2" : "1");
        e.idcard = first17 + idCheck(first17);
        e.password = "111111";
        return e;
    };
    // Drivers: vehicle b, shift 1 (early) or 2 (late). The early driver of 12004 is the first demo account.
    for (int b = 0; b < 18; ++b) {
        for (int shift = 1; shift <= 2; ++shift) {
            int slot = b * 2 + shift - 1;
            NewEmployee e = person(static_cast<unsigned>(slot), slot % 5 == 2);
            e.card = std::to_string(20001 + slot);
            if (busnames[static_cast<size_t>(b)] == "12004" && shift == 1) {
                e.card = "10086";
                e.name = "张建国";
                e.sex = "1";
                e.birthday = "1985-06-12";
                e.idcard = "370102198506123456";
                e.password = "123456";
            }
            e.empid = "E" + e.card;
            e.role = "3";
            e.roleName = "驾驶员";
            e.driver = true;
            e.bus = busnames[static_cast<size_t>(b)];
            e.route = kRoutes[b / 3][0];
            e.shift = shift;
            e.depot = b / 6 + 1;
            staff.push_back(e);
        }
    }
    // Conductors ride the vehicles of 1路 and 游2路.
    for (int c = 0; c < 12; ++c) {
        NewEmployee e = person(static_cast<unsigned>(100 + c), true);
        int b = c < 6 ? c / 2 : 15 + (c - 6) / 2;
        e.card = std::to_string(30001 + c);
        e.empid = "E" + e.card;
        e.role = "4";
        e.roleName = "乘务员";
        e.bus = busnames[static_cast<size_t>(b)];
        e.route = kRoutes[b / 3][0];
        e.shift = c % 2 + 1;
        e.depot = b / 6 + 1;
        staff.push_back(e);
    }
    {
        NewEmployee e = person(200, true);
        e.card = "10010";
        e.empid = "E10010";
        e.name = "李秀梅";
        e.birthday = "1990-03-15";
        e.idcard = "370103199003154428";
        e.password = "654321";
        e.role = "2";
        e.roleName = "调度员";
        e.depot = 2;
        staff.push_back(e);
    }
    // Relief drivers, four to a route, drive the vehicles and shifts whose own driver is off or on
    // the night service, and the night service on the nights none of the route's own drivers has it.
    for (int r = 0; r < 6; ++r) {
        for (int i = 0; i < 4; ++i) {
            int n = r * 4 + i;
            NewEmployee e = person(static_cast<unsigned>(300 + n), n % 5 == 2);
            e.card = std::to_string(20037 + n);
            e.empid = "E" + e.card;
            e.role = "3";
            e.roleName = "驾驶员";
            e.driver = true;
            e.route = kRoutes[r][0];
            e.depot = r / 2 + 1;
            staff.push_back(e);
        }
    }
    Stmt ins(db_,
             "INSERT INTO employees(card,empid,password,name,role,role_name,idcard,org_id,org_type,address,"
             "birthday,graduate,one_card,politic,service_age,sex,start_time,telephone,is_driver,bus,shift,"
             "route_id) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    unsigned k = 0;
    for (auto& e : staff) {
        unsigned h = mixSeed(seed, 1000 + k++);
        int birthYear = std::stoi(e.birthday.substr(0, 4));
        int startYear = std::min(thisYear - 1, birthYear + 20 + static_cast<int>(h % 6));
        if (e.card == "10086") startYear = 2007;
        std::string phone = "13" + std::to_string(5 + h % 5) + "0531" + e.card.substr(e.card.size() - 4);
        std::string district = e.depot == 1 ? "历下区" : e.depot == 2 ? "市中区" : "槐荫区";
        ins.bind(1, e.card).bind(2, e.empid).bind(3, e.password).bind(4, e.name).bind(5, e.role);
        ins.bind(6, e.roleName).bind(7, e.idcard).bind(8, e.depot).bind(9, "1");
        ins.bind(10, "济南市" + district + kStreets[h % 8] + std::to_string(3 + h % 120) + "号");
        ins.bind(11, e.birthday).bind(12, h % 3 == 0 ? "大专" : h % 3 == 1 ? "高中" : "本科");
        ins.bind(13, "8800" + e.card);
        ins.bind(14, h % 4 == 0 ? "群众" : "中共党员").bind(15, std::to_string(thisYear - startYear));
        ins.bind(16, e.sex).bind(17, std::to_string(startYear) + "-07-01").bind(18, phone);
        ins.bind(19, e.driver ? 1 : 0).bind(20, e.bus).bind(21, e.shift).bind(22, e.route);
        ins.run();
    }

    auto addBulletin = [&](int kind, int i, const std::string& title) {
        // Released a few days apart, counting back from the first start, newest first.
        std::string date = civilDayText(today - 1 - i * (kind == 2 ? 3 : 11));
        std::string id = (kind == 2 ? "N" : "R") + std::to_string(1000 + i);
        std::string publisher = kind == 2 ? (i % 4 == 1 ? "安全技术部" : "公司办公室") : "安全技术部";
        std::string html =
            "<p>各单位、全体职工：</p><p>为进一步做好" + title +
            "相关工作，现将有关事项通知如下，请认真遵照执行。</p><ol><li>提高认识，加强领导。</li>"
            "<li>明确责任，落实到人。</li><li>严格检查，及时整改。</li></ol>";
        // Pictures are stored relative to the server and made absolute when answered.
        if (i % 3 == 0)
            html += "<p><img src=\"{base}static/bulletin" + std::to_string(i % 2 + 1) +
                    ".png\" width=\"100%\"/></p>";
        html += "<p style=\"text-align:right\">" + publisher + "<br/>" + date + "</p>";
        Stmt(db_, "INSERT INTO bulletins VALUES(?,?,?,?,?,?,?)")
            .bind(1, id)
            .bind(2, kind)
            .bind(3, title)
            .bind(4, title + "。")
            .bind(5, html)
            .bind(6, publisher)
            .bind(7, date)
            .run();
    };
    int i = 0;
    for (auto* t : kAnnouncementTitles) addBulletin(2, i++, t);
    i = 0;
    for (auto* t : kRegulationTitles) addBulletin(3, i++, t);

    Stmt sug(db_,
             "INSERT INTO suggestions(empid,content,parent_id,type,que_time,ans_content,ans_time) "
             "VALUES(?,?,'0',?,?,?,?)");
    sug.bind(1, "E10086").bind(2, "12005号车后门关闭时有异响，请安排检修。").bind(3, "建议");
    sug.bind(4, civilDayText(today - 17) + " 08:31:12")
        .bind(5, "已安排保修车间检查，后门气泵已更换，感谢反馈。");
    sug.bind(6, civilDayText(today - 16) + " 15:02:40").run();
    auto sid = sqlite3_last_insert_rowid(db_);
    Stmt(db_, "INSERT INTO suggestion_images(suggestion_id,file) VALUES(?,?)")
        .bind(1, sid)
        .bind(2, "static/bulletin1.png")
        .run();
    Stmt(db_, "INSERT INTO suggestion_images(suggestion_id,file) VALUES(?,?)")
        .bind(1, sid)
        .bind(2, "static/bulletin2.png")
        .run();
    sug.bind(1, "E10086").bind(2, "5路早班首班车发车时间能否提前十分钟？").bind(3, "咨询");
    sug.bind(4, civilDayText(today - 6) + " 19:12:05")
        .bind(5, "已转调度中心研究，下月运行图调整时统筹考虑。");
    sug.bind(6, civilDayText(today - 5) + " 10:20:00").run();
    sug.bind(1, "E10010").bind(2, "调度室空调遥控器失灵，夜班室温过低。").bind(3, "其他");
    sug.bind(4, civilDayText(today - 9) + " 21:40:33")
        .bind(5, "后勤已更换遥控器并检修空调，请留意使用情况。");
    sug.bind(6, civilDayText(today - 8) + " 09:15:00").run();
    exec("COMMIT");
}

namespace {

// The login answer's employee members, in the order the office service sends them.
const char* const kEmployeeSql =
    "SELECT "
    "e.card,e.empid,e.password,e.name,e.role,e.role_name,e.idcard,e.org_id,d.name,e.org_type,e.address,"
    "e.birthday,e.graduate,e.one_card,e.politic,e.service_age,e.sex,e.start_time,e.telephone,e.is_driver,"
    "IFNULL(e.bus,''),e.shift,IFNULL(e.route_id,'') FROM employees e LEFT JOIN depots d ON d.id=e.org_id "
    "WHERE e.card=?1 OR "
    "e.empid=?1 OR e.one_card=?1";
enum EmployeeColumn {
    kCard = 0,
    kEmpID = 1,
    kPassword = 2,
    kName = 3,
    kOrgID = 7,
    kOneCard = 13,
    kIsDriver = 19,
    kBus = 20,
    kShift = 21,
    kRoute = 22
};
constexpr Field kProfileFields[] = {
    {"EmpID", kEmpID, Cell::Text},
    {"EmpRole", 4, Cell::Text},
    {"EmpRoleName", 5, Cell::Text},
    {"IDcard", 6, Cell::Text},
    {"Name", kName, Cell::Text},
    {"OrgID", kOrgID, Cell::Integer},  // a number on the wire, as the real service sends it
    {"OrgName", 8, Cell::Text},
    {"OrgType", 9, Cell::Text},
    {"address", 10, Cell::Text},
    {"birthday", 11, Cell::Text},
    {"graduate", 12, Cell::Text},
    {"oneCardID", kOneCard, Cell::Text},
    {"politic", 14, Cell::Text},
    {"serviceAge", 15, Cell::Text},
    {"sex", 16, Cell::Text},
    {"startTime", 17, Cell::Text},
    {"telephone", 18, Cell::Text}};

}  // namespace

std::optional<Employee> OfficeDatabase::employee(const std::string& key) const {
    std::lock_guard lock(mutex_);
    Stmt s(db_, kEmployeeSql);
    s.bind(1, key);
    if (!s.step()) return std::nullopt;
    Employee e;
    appendFields(e.profile, s, kProfileFields, 0);
    e.cardID = s.text(kCard);
    e.password = s.text(kPassword);
    e.empID = s.text(kEmpID);
    e.name = s.text(kName);
    e.depot = static_cast<int>(s.integer(kOrgID));
    e.oneCardID = s.text(kOneCard);
    e.isDriver = s.integer(kIsDriver) != 0;
    e.bus = s.text(kBus);
    e.shift = static_cast<int>(s.integer(kShift));
    e.route = s.text(kRoute);
    return e;
}

std::optional<Employee> OfficeDatabase::employeeByBusCard(const std::string& oneCardID) const {
    auto e = employee(oneCardID);
    if (e && e->oneCardID != oneCardID) return std::nullopt;
    return e;
}

bool OfficeDatabase::setPassword(const std::string& cardID, const std::string& password) {
    std::lock_guard lock(mutex_);
    Stmt s(db_, "UPDATE employees SET password=? WHERE card=?");
    s.bind(1, password).bind(2, cardID);
    return s.run() && sqlite3_changes(db_) == 1;
}

namespace {

// ?1 the kind, ?2 the rows skipped, ?3 the server's address: pictures are stored relative to the
// server and made absolute when answered.
const char* const kBulletinSql =
    "SELECT id,title,abstract,replace(html,'{base}',?3),publisher,released,released||' 09:00:00' FROM "
    "bulletins WHERE kind=?1 ORDER BY released DESC, id LIMIT 10 OFFSET ?2";
// Announcements and regulations spell the publisher key differently on the wire.
constexpr Field kAnnouncementFields[] = {{"ID", 0, Cell::Text},
                                         {"Title", 1, Cell::Text},
                                         {"ContentAbstract", 2, Cell::Text},
                                         {"ContentHtml", 3, Cell::Text},
                                         {"Publishby", 4, Cell::Text},
                                         {"RealeaseDate", 5, Cell::Text},
                                         {"RealeaseDateTime", 6, Cell::Text}};
constexpr Field kRegulationFields[] = {{"ID", 0, Cell::Text},
                                       {"Title", 1, Cell::Text},
                                       {"ContentAbstract", 2, Cell::Text},
                                       {"ContentHtml", 3, Cell::Text},
                                       {"PublishBy", 4, Cell::Text},
                                       {"RealeaseDate", 5, Cell::Text},
                                       {"RealeaseDateTime", 6, Cell::Text}};

}  // namespace

boost::json::array OfficeDatabase::bulletins(int kind, int page, const std::string& base) const {
    if (page < 1) return {};
    std::lock_guard lock(mutex_);
    return mapRows(db_, kBulletinSql,
                   {static_cast<long long>(kind), static_cast<long long>(page - 1) * 10, base},
                   kind == 2 ? Fields(kAnnouncementFields) : Fields(kRegulationFields));
}

int OfficeDatabase::bulletinCount(int kind) const {
    std::lock_guard lock(mutex_);
    Stmt s(db_, "SELECT COUNT(*) FROM bulletins WHERE kind=?");
    s.bind(1, kind);
    return s.step() ? static_cast<int>(s.integer(0)) : 0;
}

}  // namespace busdesk::sim
