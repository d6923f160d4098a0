#include <gtest/gtest.h>

#include "ServiceTestSupport.h"
#include "services/EmployeMonthSalaryService.h"
#include "services/LoginResultService.h"
#include "services/NormalService.h"
#include "services/SuggestServer.h"

namespace busdesk::test {
namespace {

// What one call ended in: "F" for the failure block, "S:<what it got>" for the success block.
struct Probe {
    int successes = 0;
    int failures = 0;
    bool offMainThread = false;
    std::string got;

    int total() const { return successes + failures; }
    void succeeded(const std::string& what) {
        if (!RunLoop::main().isOwnerThread()) offMainThread = true;
        ++successes;
        got = "S:" + what;
    }
    std::function<void()> fail() {
        return [this] {
            if (!RunLoop::main().isOwnerThread()) offMainThread = true;
            ++failures;
            got = "F";
        };
    }
};

Image tinyImage() {
    Image img;
    img.width = img.height = 4;
    img.rgba.assign(64, 128);
    return img;
}

struct Family {
    const char* name;
    const char* method;
    std::function<void(Probe&, const std::string& uploadID)> start;
};

const std::vector<Family>& families() {
    static const std::vector<Family> all = {
        {"list", "Query_Arrange",
         [](Probe& p, const std::string&) {
             NormalService::getArrangeWithPara(
                 {{"EmpID", "E10086"}, {"RunDate", "2026-12-07"}},
                 [&p](const std::shared_ptr<ArrangeInfoList>& l) {
                     p.succeeded(l && l->ArrangeList.count() ? *l->ArrangeList[0]->Empname : "empty");
                 },
                 p.fail());
         }},
        {"plan", "Query_DisplanInfo",
         [](Probe& p, const std::string&) {
             NormalService::getPlansServiceInfoWithPara(
                 {{"EmpID", "E10086"}, {"RunDate", "2026-12-07"}}, 0,
                 [&p](const std::shared_ptr<WireModel>& m) {
                     auto plan = std::dynamic_pointer_cast<DisplanDetailInfoArray>(m);
                     p.succeeded(plan ? *plan->DisplanDetailInfos[0]->EndStaion : "null");
                 },
                 p.fail());
         }},
        {"finish", "Query_FinishDisplan",
         [](Probe& p, const std::string&) {
             NormalService::getSearchWithPara(
                 {{"EmpID", "E10086"}, {"RunDate", "2026-12-06"}}, "完成车次",
                 [&p](const std::shared_ptr<WireModel>& m) {
                     auto trips = std::dynamic_pointer_cast<FinishDisplanInfoArray>(m);
                     p.succeeded(trips ? *trips->FinishDisplanList[0]->Rectype : "null");
                 },
                 p.fail());
         }},
        {"login", "User_Login",
         [](Probe& p, const std::string&) {
             LoginResultService::GetLoginResult(
                 "10086", "123456",
                 [&p](const std::shared_ptr<LoginResult>& r, bool ok) {
                     p.succeeded(r ? *r->Name + (ok ? "+" : "-") : std::string("null"));
                 },
                 p.fail());
         }},
        {"salary", "Query_Salary",
         [](Probe& p, const std::string&) {
             EmployeMonthSalaryService::getEmpolyeMonthWithEmpID(
                 "E10086", "202611",
                 [&p](const std::shared_ptr<EmployeMonthSalary>& s, bool ok) {
                     p.succeeded(s && ok ? *s->salaryItems[0]->ItemName : "null");
                 },
                 p.fail());
         }},
        {"logo", "Query_CompanyLogo",
         [](Probe& p, const std::string&) {
             NormalService::getADImageWithPara(
                 {}, [&p](const std::string& t) { p.succeeded(t.rfind("http", 0) == 0 ? "address" : t); },
                 p.fail());
         }},
        {"submit", "FeedBackInfoNP",
         [](Probe& p, const std::string&) {
             SuggestServer::PostSubmitTextWithPar(
                 {{"Empid", "E10086"}, {"Content", "车内灯不亮"}, {"ParentID", "0"}, {"pType", "建议"}},
                 [&p](const std::string& t) { p.succeeded(t.size() > 2 && t.front() == '"' ? "id" : t); },
                 p.fail());
         }},
        {"upload", "UploadPictureFromID",
         [](Probe& p, const std::string& id) {
             SuggestServer::PostSubmitImageWithPar(
                 {{"id", id}}, {tinyImage()}, {"c.png"}, [&p] { p.succeeded("stored"); }, p.fail());
         }},
    };
    return all;
}

struct Row {
    const char* label;
    sim::Fault fault;
    // One expectation per family, in the order of families().
    std::vector<std::string> expected;
};

sim::Fault make(const std::function<void(sim::Fault&)>& f) {
    sim::Fault out;
    f(out);
    return out;
}

class FaultSwitchTest : public ServiceTest {};

TEST_F(FaultSwitchTest, EveryFaultEndsInExactlyOneBlockOnTheMainThread) {
    using B = sim::Fault::Body;
    // list, plan, finish, login, salary, logo, submit, upload
    const std::vector<Row> rows = {
        {"none",
         {},
         {"S:张建国", "S:泉城广场", "S:营运", "S:张建国+", "S:基本工资", "S:address", "S:id", "S:stored"}},
        {"latency",
         make([](sim::Fault& f) { f.latencyMs = 300; }),
         {"S:张建国", "S:泉城广场", "S:营运", "S:张建国+", "S:基本工资", "S:address", "S:id", "S:stored"}},
        {"status 500", make([](sim::Fault& f) { f.status = 500; }), {"F", "F", "F", "F", "F", "F", "F", "F"}},
        {"status 404", make([](sim::Fault& f) { f.status = 404; }), {"F", "F", "F", "F", "F", "F", "F", "F"}},
        // Text answers may come with any content type; JSON ones may not.
        {"content type",
         make([](sim::Fault& f) { f.contentType = "text/plain"; }),
         {"F", "F", "F", "F", "F", "S:address", "S:id", "S:stored"}},
        // A named charset is honoured: the Chinese text survives the re-encoding.
        {"charset GBK",
         make([](sim::Fault& f) { f.charset = "GBK"; }),
         {"S:张建国", "S:泉城广场", "S:营运", "S:张建国+", "S:基本工资", "S:address", "S:id", "S:stored"}},
        {"malformed",
         make([](sim::Fault& f) { f.body = B::Malformed; }),
         {"F", "F", "F", "F", "F", "S:\"List\":\"ID\":\"1\",", "S:{\"List\": [{\"ID\": \"1\", ", "F"}},
        {"empty",
         make([](sim::Fault& f) { f.body = B::Empty; }),
         {"F", "F", "F", "S:null", "S:null", "S:", "S:", "F"}},
        {"space",
         make([](sim::Fault& f) { f.body = B::SingleSpace; }),
         {"F", "F", "F", "S:null", "S:null", "S:", "S: ", "F"}},
        // {} for an array answer, [] for anything else.
        {"wrong kind",
         make([](sim::Fault& f) { f.body = B::WrongKind; }),
         {"F", "S:null", "F", "S:null", "S:null", "S:", "S:[]", "F"}},
        {"close mid-body",
         make([](sim::Fault& f) { f.body = B::CloseMidBody; }),
         {"F", "F", "F", "F", "F", "F", "F", "F"}},
    };

    // The record the uploads attach to.
    std::string uploadID;
    {
        Calls<std::string> text;
        SuggestServer::PostSubmitTextWithPar({{"Empid", "E10086"}, {"Content", "照片"}, {"ParentID", "0"}},
                                             text.success(), text.fail());
        ASSERT_TRUE(text.wait());
        ASSERT_EQ(text.successes, 1);
        uploadID = text.arg().substr(1, text.arg().size() - 2);
    }

    for (const auto& row : rows) {
        ASSERT_EQ(row.expected.size(), families().size()) << row.label;
        std::vector<Probe> probes(families().size());
        for (size_t i = 0; i < families().size(); ++i) sim().faults().set(families()[i].method, row.fault);
        for (size_t i = 0; i < families().size(); ++i) families()[i].start(probes[i], uploadID);
        ASSERT_TRUE(RunLoop::main().runUntil(
            [&] {
                for (auto& p : probes)
                    if (p.total() == 0) return false;
                return true;
            },
            std::chrono::milliseconds(15000)))
            << row.label;
        // Anything that would still call back has done so once nothing is in flight.
        RunLoop::main().runUntilIdle();
        for (size_t i = 0; i < families().size(); ++i) {
            SCOPED_TRACE(std::string(row.label) + " / " + families()[i].name);
            EXPECT_EQ(probes[i].total(), 1);
            EXPECT_FALSE(probes[i].offMainThread);
            EXPECT_EQ(probes[i].got, row.expected[i]);
        }
        sim().faults().clear();
    }
}

TEST_F(FaultSwitchTest, FailuresAreLoggedWithTheErrorAndTextAnswersWithTheOperation) {
    sim::Fault f;
    f.status = 503;
    sim().faults().set("Query_Arrange", f);
    sim().faults().set("Query_CompanyLogo", f);
    Probe list, logo;
    families()[0].start(list, "");
    families()[5].start(logo, "");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return list.total() && logo.total(); }));
    EXPECT_EQ(log_.withPrefix("Error: ").size(), 2u);
    // Only the text operation also shows what the server sent.
    EXPECT_EQ(log_.withPrefix("operation===").size(), 1u);
}

TEST_F(FaultSwitchTest, NoAnswerHoldsUntilTheServerGoesAwayThenFailsOnce) {
    // A server of its own: this test stops it.
    sim::SimOptions o;
    o.today = "2026-12-07";
    sim::OfficeSimulator quiet(o);
    ASSERT_TRUE(quiet.start()) << quiet.lastError();
    PublicMethod::setOfficeBaseURL(quiet.baseURL());
    quiet.faults().set("*", fault(sim::Fault::Body::NoAnswer));

    std::vector<Probe> probes(families().size());
    for (size_t i = 0; i < families().size(); ++i) families()[i].start(probes[i], "1");
    // While the server holds the requests nobody is called back.
    EXPECT_FALSE(RunLoop::main().runUntil(
        [&] {
            for (auto& p : probes)
                if (p.total()) return true;
            return false;
        },
        std::chrono::milliseconds(400)));
    quiet.stop();
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            for (auto& p : probes)
                if (!p.total()) return false;
            return true;
        },
        std::chrono::milliseconds(15000)));
    RunLoop::main().runUntilIdle();
    for (size_t i = 0; i < families().size(); ++i) {
        SCOPED_TRACE(families()[i].name);
        EXPECT_EQ(probes[i].failures, 1);
        EXPECT_EQ(probes[i].successes, 0);
    }
}

}  // namespace
}  // namespace busdesk::test
