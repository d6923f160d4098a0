#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "ServiceTestSupport.h"
#include "core/SessionEnd.h"
#include "platform/Crypto.h"
#include "platform/SQLite.h"
#include "services/AnswerStore.h"
#include "services/OfficeQueries.h"

namespace busdesk::test {
namespace {

constexpr double kToday = 1'796'601'600;  // 2026-12-07 00:00 UTC

class AnswerStoreTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        Date::setNow(Date{kToday});
        signIn("E10086");
        store_ = AnswerStore::install();
        store_->signIn("E10086", key('a'));
    }
    void TearDown() override {
        idle();
        AnswerStore::uninstall();
        store_.reset();
        Date::setNow(std::nullopt);
        ServiceTest::TearDown();
    }
    static SecretBytes key(char fill) { return SecretBytes(std::string(crypto::kKeyBytes, fill)); }
    static void signIn(const std::string& empID) {
        Session::shared().setLoginResult(LoginResult::initWithString(R"({"EmpID":")" + empID + R"("})"));
    }
    void idle() {
        if (!store_) return;
        bool done = false;
        store_->whenIdle([&] { done = true; });
        RunLoop::main().runUntil([&] { return done; }, std::chrono::milliseconds(10000));
    }
    // Asks the office; true when the answer was accepted.
    template <class Model>
    bool fetch(const OfficeQuery<Model>& query) {
        bool ok = false, answered = false;
        runQuery<Model>(
            query, [&](Model) { ok = answered = true; }, [&] { answered = true; });
        RunLoop::main().runUntil([&] { return answered; }, std::chrono::milliseconds(10000));
        idle();
        return ok;
    }
    // The stored model's row count and fetch time, when something is shown.
    std::optional<std::pair<std::size_t, Date>> stored(const QueryFor<ArrangeInfoList>& query) {
        std::optional<std::pair<std::size_t, Date>> shown;
        lookUpStored<std::shared_ptr<ArrangeInfoList>>(
            query, [&](const std::shared_ptr<ArrangeInfoList>& list, Date at) {
                shown = std::pair{list ? list->ArrangeList.count() : 0, at};
            });
        idle();
        return shown;
    }
    std::string fileBytes() const {
        std::string all;
        for (const char* suffix : {"", "-wal"}) {
            std::ifstream in(store_->path() + suffix, std::ios::binary);
            std::stringstream ss;
            ss << in.rdbuf();
            all += ss.str();
        }
        return all;
    }
    std::shared_ptr<AnswerStore> store_;
};

}  // namespace

TEST_F(AnswerStoreTest, AnAcceptedAnswerIsKeptSealedAndAFailedOneNever) {
    auto roster = OfficeQueries::roster("2026-12-07");
    EXPECT_FALSE(stored(roster));
    ASSERT_TRUE(fetch(roster));
    auto shown = stored(roster);
    ASSERT_TRUE(shown);
    EXPECT_GT(shown->first, 0u);
    EXPECT_EQ(shown->second.secondsSince1970, kToday);
    struct stat st {};
    ASSERT_EQ(::stat(store_->path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // Neither the key text nor the answer is in the file in clear.
    const std::string bytes = fileBytes();
    for (const char* clear : {"E10086", "Query_Arrange", "ArrangeList", "2026-12-07"})
        EXPECT_EQ(bytes.find(clear), std::string::npos) << clear;

    // A malformed answer and a server error leave the kept one as it was.
    Date::setNow(Date{kToday + 3600});
    sim().faults().set("Query_Arrange", fault(sim::Fault::Body::Malformed));
    EXPECT_FALSE(fetch(roster));
    sim::Fault down;
    down.status = 503;
    sim().faults().set("Query_Arrange", down);
    EXPECT_FALSE(fetch(roster));
    EXPECT_EQ(stored(roster)->second.secondsSince1970, kToday);
    // A fresh answer replaces it.
    sim().faults().clear();
    ASSERT_TRUE(fetch(roster));
    EXPECT_EQ(stored(roster)->second.secondsSince1970, kToday + 3600);
    EXPECT_EQ(sqlite::Database::mainThreadCalls(), 0u);
}

TEST_F(AnswerStoreTest, NoUserSeesAnothersAnswersAndSignOutDeletesThem) {
    auto roster = OfficeQueries::roster("2026-12-07");
    ASSERT_TRUE(fetch(roster));
    // Another employee, even one given the same data key, asks under a key of their own.
    store_->signIn("E2", key('a'));
    signIn("E2");
    EXPECT_FALSE(stored(OfficeQueries::roster("2026-12-07")));
    // The right user with another key (a lost password) finds nothing either.
    store_->signIn("E10086", key('b'));
    signIn("E10086");
    EXPECT_FALSE(stored(roster));
    store_->signIn("E10086", key('a'));
    EXPECT_TRUE(stored(roster));
    // Nobody signed in: nothing kept, nothing shown.
    store_->signOut(false);
    EXPECT_FALSE(stored(roster));
    store_->signIn("E10086", key('a'));
    EXPECT_TRUE(stored(roster));

    // The sign-out steps delete the user's rows.
    EndedSession ended;
    SessionEnd::run(ended);
    idle();
    store_->signIn("E10086", key('a'));
    EXPECT_FALSE(stored(roster));
}

TEST_F(AnswerStoreTest, AnAnswerOlderThanThirtyDaysIsNotShownAndGoes) {
    auto roster = OfficeQueries::roster("2026-12-07");
    ASSERT_TRUE(fetch(roster));
    Date::setNow(Date{kToday + 29 * 86400.0});
    EXPECT_TRUE(stored(roster));
    Date::setNow(Date{kToday + 31 * 86400.0});
    EXPECT_FALSE(stored(roster));
    Date::setNow(Date{kToday});
    EXPECT_FALSE(stored(roster));  // deleted, not just hidden
}

TEST(AnswerStoreBoundsTest, TheLeastRecentlyUsedGoFirstAndAHugeAnswerIsNotKept) {
    char tmpl[] = "/tmp/busdesk-answers-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    Date::setNow(Date{kToday});
    {
        AnswerStore::Bounds bounds;
        bounds.maxTotalBytes = 3 * 1200;  // three of these answers, with what a row costs beside
        bounds.maxAnswerBytes = 2000;
        AnswerStore store(dir + "/answers.sqlite", bounds);
        store.signIn("E1", SecretBytes(std::string(32, 'k')));
        auto keyOf = [](int i) { return QueryKey::of("Query_Salary", {{"Month", std::to_string(i)}}, "E1"); };
        const std::string body(1000, 'x');
        auto has = [&](int i) {
            bool found = false;
            bool done = false;
            EXPECT_TRUE(store.lookUp(
                keyOf(i),
                [&](const RawAnswer& raw, Date) -> std::function<void()> {
                    const bool same = raw.body == body && raw.contentType == "text/plain";
                    return [&found, same] { found = same; };
                },
                [&] { done = true; }));
            RunLoop::main().runUntil([&] { return done; }, std::chrono::milliseconds(10000));
            return found;
        };
        for (int i = 1; i <= 3; ++i) store.queryDidDecode(keyOf(i), RawAnswer{body, "text/plain"});
        EXPECT_TRUE(has(1));  // 1 is now the most recently used
        store.queryDidDecode(keyOf(4), RawAnswer{body, "text/plain"});
        EXPECT_FALSE(has(2));
        EXPECT_TRUE(has(1));
        EXPECT_TRUE(has(3));
        EXPECT_TRUE(has(4));
        // Too large to keep: not kept, and the older answer under its key goes too.
        store.queryDidDecode(keyOf(4), RawAnswer{std::string(2001, 'y'), "text/plain"});
        EXPECT_FALSE(has(4));
    }
    Date::setNow(std::nullopt);
    std::filesystem::remove_all(dir);
}

TEST_F(AnswerStoreTest, ADamagedFileIsMovedAsideAndAnUnwritableFolderKeepsNothing) {
    auto roster = OfficeQueries::roster("2026-12-07");
    const std::string path = store_->path();
    // A damaged file: moved aside once, a new one made, the answer kept in it.
    AnswerStore::uninstall();
    store_.reset();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << std::string(4096, '\x17');
    store_ = AnswerStore::install();
    store_->signIn("E10086", key('a'));
    log_.clear();
    ASSERT_TRUE(fetch(roster));
    EXPECT_TRUE(stored(roster));
    EXPECT_TRUE(std::filesystem::exists(path + ".corrupt-1"));
    EXPECT_EQ(log_.withPrefix("sqlite: damaged").size(), 1u);

    // A cache "folder" that cannot be a folder: nothing kept, the query still answers.
    AnswerStore::uninstall();
    store_ = std::make_shared<AnswerStore>(path + ".corrupt-1/answers.sqlite");
    setQueryObserver(store_);
    store_->signIn("E10086", key('a'));
    log_.clear();
    EXPECT_TRUE(fetch(roster));
    EXPECT_TRUE(fetch(roster));
    EXPECT_FALSE(stored(roster));
    EXPECT_EQ(log_.withPrefix("answers: cannot open").size(), 1u);
    setQueryObserver(nullptr);
}

}  // namespace busdesk::test
