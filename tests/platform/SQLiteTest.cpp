#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/Log.h"
#include "platform/SQLite.h"

using namespace busdesk;
namespace fs = std::filesystem;

namespace {

const sqlite::Schema kSchema{1, "CREATE TABLE item(name TEXT PRIMARY KEY, value BLOB NOT NULL)"};

class SQLiteTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-sqlite-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/cache/store.sqlite";
        oldSink_ = Log::setSink([this](const std::string& line) { log_.push_back(line); });
    }
    void TearDown() override {
        Log::setSink(oldSink_);
        ::chmod((dir_ + "/cache").c_str(), 0700);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // Runs on a thread of its own: the wrapper counts calls made on the main thread.
    template <class F>
    static void offMain(F&& work) {
        std::thread(std::forward<F>(work)).join();
    }
    std::unique_ptr<sqlite::Database> open(std::optional<std::string>* movedAside = nullptr) {
        auto result = sqlite::Database::open(file_, kSchema);
        if (auto* error = std::get_if<Error>(&result)) {
            ADD_FAILURE() << error->description;
            return nullptr;
        }
        auto& opened = std::get<sqlite::Database::Opened>(result);
        if (movedAside) *movedAside = opened.movedAside;
        return std::move(opened.database);
    }
    static std::optional<Error> put(sqlite::Database& db, const std::string& name, std::string_view value) {
        auto* insert = db.prepare("INSERT OR REPLACE INTO item(name, value) VALUES(?1, ?2)");
        if (!insert) return db.lastError();
        return insert->bind(1, name).bindBlob(2, value).run();
    }
    static std::optional<std::string> get(sqlite::Database& db, const std::string& name) {
        auto* select = db.prepare("SELECT value FROM item WHERE name = ?1");
        select->bind(1, name);
        std::optional<std::string> value;
        if (select->step() == sqlite::Statement::Step::Row) value = std::string(select->blob(0));
        select->reset();
        return value;
    }
    void writeFile(std::string_view bytes) {
        fs::create_directories(dir_ + "/cache");
        std::ofstream(file_, std::ios::binary) << bytes;
    }
    std::string dir_;
    std::string file_;
    std::vector<std::string> log_;
    Log::Sink oldSink_;
};

}  // namespace

TEST_F(SQLiteTest, NewFileIsPrivateWALAndKeepsWhatWasWritten) {
    offMain([&] {
        auto db = open();
        ASSERT_TRUE(db);
        ASSERT_FALSE(put(*db, "a", std::string("\0bytes\xff", 7)));
        ASSERT_FALSE(put(*db, "a", "second"));  // the statement is reused
        auto* mode = db->prepare("PRAGMA journal_mode");
        ASSERT_EQ(mode->step(), sqlite::Statement::Step::Row);
        EXPECT_EQ(mode->text(0), "wal");
        mode->reset();
    });
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((dir_ + "/cache").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    offMain([&] {
        auto db = open();
        ASSERT_TRUE(db);
        EXPECT_EQ(get(*db, "a"), "second");
        EXPECT_EQ(get(*db, "b"), std::nullopt);
    });
    EXPECT_TRUE(log_.empty());
}

TEST_F(SQLiteTest, ATransactionThatFailsLeavesNothing) {
    offMain([&] {
        auto db = open();
        ASSERT_TRUE(db);
        auto failed = db->transaction([&]() -> std::optional<Error> {
            if (auto e = put(*db, "x", "1")) return e;
            return Error("test", 1, "stop");
        });
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->description, "stop");
        EXPECT_EQ(get(*db, "x"), std::nullopt);
        EXPECT_FALSE(db->transaction([&] { return put(*db, "y", "2"); }));
        EXPECT_EQ(get(*db, "y"), "2");
        // A statement that does not compile is reported, not thrown.
        EXPECT_EQ(db->prepare("SELECT nonsense FROM nowhere"), nullptr);
        EXPECT_NE(db->lastError().description.find("nowhere"), std::string::npos);
    });
}

TEST_F(SQLiteTest, DamagedFilesAreMovedAsideOnceAndANewOneIsMade) {
    // Random bytes, a file of another schema, a file of tables it does not know.
    const std::vector<std::function<void()>> damages = {
        [&] { writeFile(std::string(8192, '\x5a')); },
        [&] {
            offMain([&] {
                auto db = open();
                ASSERT_TRUE(db);
                ASSERT_FALSE(db->exec("PRAGMA user_version=7"));
            });
        },
        [&] {
            fs::remove(file_);
            sqlite3* raw = nullptr;
            ASSERT_EQ(sqlite3_open(file_.c_str(), &raw), SQLITE_OK);
            sqlite3_exec(raw, "CREATE TABLE other(x)", nullptr, nullptr, nullptr);
            sqlite3_close(raw);
        },
    };
    int copy = 0;
    for (const auto& damage : damages) {
        damage();
        log_.clear();
        offMain([&] {
            std::optional<std::string> aside;
            auto db = open(&aside);
            ASSERT_TRUE(db);
            ++copy;
            ASSERT_TRUE(aside);
            EXPECT_EQ(*aside, file_ + ".corrupt-" + std::to_string(copy));
            EXPECT_FALSE(put(*db, "k", "v"));
            EXPECT_EQ(get(*db, "k"), "v");
        });
        EXPECT_TRUE(fs::exists(file_ + ".corrupt-" + std::to_string(copy)));
        ASSERT_EQ(log_.size(), 1u);
        EXPECT_NE(log_[0].find("moved to"), std::string::npos);
    }
}

TEST_F(SQLiteTest, ACacheOfAnOlderSchemaIsMadeAgainInPlaceAndANewerOneIsMovedAside) {
    const sqlite::Schema cacheV2{2, "CREATE TABLE item2(name TEXT PRIMARY KEY, value BLOB NOT NULL)", true};
    offMain([&] {
        auto db = open();
        ASSERT_TRUE(db);
        EXPECT_FALSE(put(*db, "k", "v"));
    });
    log_.clear();
    offMain([&] {
        auto result = sqlite::Database::open(file_, cacheV2);
        ASSERT_TRUE(std::holds_alternative<sqlite::Database::Opened>(result));
        auto& opened = std::get<sqlite::Database::Opened>(result);
        EXPECT_FALSE(opened.movedAside);
        auto* tables =
            opened.database->prepare("SELECT group_concat(name) FROM sqlite_schema WHERE type = 'table'");
        ASSERT_NE(tables, nullptr);
        ASSERT_EQ(tables->step(), sqlite::Statement::Step::Row);
        EXPECT_EQ(tables->text(0), "item2");  // the old table and its rows are gone
        tables->reset();
    });
    EXPECT_FALSE(fs::exists(file_ + ".corrupt-1"));
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find("made again as 2"), std::string::npos);
    // Going back to the older program: a newer file is not its to empty.
    const sqlite::Schema cacheV1{1, kSchema.create, true};
    offMain([&] {
        auto result = sqlite::Database::open(file_, cacheV1);
        ASSERT_TRUE(std::holds_alternative<sqlite::Database::Opened>(result));
        EXPECT_TRUE(std::get<sqlite::Database::Opened>(result).movedAside);
    });
}

TEST_F(SQLiteTest, ReplaceMovesAFileFoundDamagedLater) {
    offMain([&] {
        auto db = open();
        ASSERT_TRUE(db);
        ASSERT_FALSE(put(*db, "k", "v"));
        auto replaced = sqlite::Database::replace(std::move(db), kSchema,
                                                  Error(sqlite::kErrorDomain, SQLITE_CORRUPT, "x"));
        ASSERT_TRUE(std::holds_alternative<sqlite::Database::Opened>(replaced));
        auto& opened = std::get<sqlite::Database::Opened>(replaced);
        EXPECT_EQ(opened.movedAside, file_ + ".corrupt-1");
        EXPECT_EQ(get(*opened.database, "k"), std::nullopt);
    });
    EXPECT_TRUE(sqlite::Database::isDamage(Error(sqlite::kErrorDomain, SQLITE_NOTADB, "")));
    EXPECT_FALSE(sqlite::Database::isDamage(Error(sqlite::kErrorDomain, SQLITE_FULL, "")));
}

TEST_F(SQLiteTest, AFolderThatCannotBeWrittenIsAnErrorValue) {
    // A read-only folder (root writes anyway, so a file stands in the folder's place there too).
    fs::create_directories(dir_);
    if (::geteuid() == 0) {
        std::ofstream(dir_ + "/cache") << "not a folder";
    } else {
        fs::create_directories(dir_ + "/cache");
        ::chmod((dir_ + "/cache").c_str(), 0500);
    }
    offMain([&] {
        auto result = sqlite::Database::open(file_, kSchema);
        ASSERT_TRUE(std::holds_alternative<Error>(result));
        EXPECT_EQ(std::get<Error>(result).domain, sqlite::kErrorDomain);
        EXPECT_FALSE(std::get<Error>(result).description.empty());
    });
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(SQLiteTest, ConnectionsOnSeveralThreadsDoNotLoseWrites) {
    offMain([&] { ASSERT_TRUE(open()); });
    constexpr int kThreads = 4;
    constexpr int kWrites = 50;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            auto db = open();
            ASSERT_TRUE(db);
            for (int i = 0; i < kWrites; ++i) {
                auto error = db->transaction([&] {
                    return put(*db, std::to_string(t) + "-" + std::to_string(i), std::string(1000, 'a' + t));
                });
                EXPECT_FALSE(error) << error->description;
            }
        });
    }
    for (auto& w : writers) w.join();
    offMain([&] {
        auto db = open();
        auto* count = db->prepare("SELECT count(*) FROM item");
        ASSERT_EQ(count->step(), sqlite::Statement::Step::Row);
        EXPECT_EQ(count->integer(0), kThreads * kWrites);
        count->reset();
    });
}

TEST_F(SQLiteTest, CallsOnTheMainThreadAreCounted) {
    const auto before = sqlite::Database::mainThreadCalls();
    offMain([&] { ASSERT_TRUE(open()); });
    EXPECT_EQ(sqlite::Database::mainThreadCalls(), before);
    auto db = open();  // the test thread is the main loop's thread
    ASSERT_TRUE(db);
    EXPECT_GT(sqlite::Database::mainThreadCalls(), before);
}
