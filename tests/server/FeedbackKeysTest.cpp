// The feedback text post and the photo upload under an Idempotency-Key: a repeat stores nothing and
// answers as the first did, other content under the key is refused with 409, and what was stored
// is in the database file and the data folder where a test (or the kill test) can count and compare it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "SimTestSupport.h"
#include "server/OfficeSimulator.h"

using namespace busdesk::sim;
using namespace busdesk::sim::test;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A server on a database file and data folder of the test's own, kept across restarts.
class FeedbackKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> n{0};
        dir_ = fs::temp_directory_path() /
               ("busdesk-feedback-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        fs::create_directories(dir_);
        restart();
    }
    void TearDown() override {
        sim_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void restart() {
        sim_.reset();
        SimOptions o = at("2026-12-07", "10:00:00");
        o.dbPath = (dir_ / "office.db").string();
        o.dataDir = (dir_ / "data").string();
        sim_ = std::make_unique<OfficeSimulator>(o);
        ASSERT_TRUE(sim_->start()) << sim_->lastError();
    }
    httplib::Client client() {
        httplib::Client c("127.0.0.1", sim_->port());
        c.set_read_timeout(30, 0);
        return c;
    }
    // The text post: status and body.
    std::pair<int, std::string> post(const std::string& query, const std::string& key = "") {
        httplib::Headers h;
        if (!key.empty()) h.emplace("Idempotency-Key", key);
        auto r = client().Get(("/OfficeServiceQ/FeedBackInfoNP/?" + query).c_str(), h);
        if (!r) return {0, ""};
        return {r->status, r->body};
    }
    std::pair<int, std::string> upload(const std::string& id, const std::string& name,
                                       const std::string& bytes, const std::string& key = "") {
        httplib::Headers h;
        if (!key.empty()) h.emplace("Idempotency-Key", key);
        auto r =
            client().Post(("/OfficeServiceQ/UploadPictureFromID/" + id).c_str(), h,
                          httplib::MultipartFormDataItems{{name, bytes, "pic", "application/octet-stream"}});
        if (!r) return {0, ""};
        return {r->status, r->body};
    }
    // Reads the database file the way an outside test would.
    long long count(const std::string& sql) {
        sqlite3* db = nullptr;
        long long n = -1;
        if (sqlite3_open_v2((dir_ / "office.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
                sqlite3_step(s) == SQLITE_ROW)
                n = sqlite3_column_int64(s, 0);
            sqlite3_finalize(s);
        }
        sqlite3_close(db);
        return n;
    }
    long long suggestions() { return count("SELECT COUNT(*) FROM suggestions"); }

    fs::path dir_;
    std::unique_ptr<OfficeSimulator> sim_;
};

const std::string kDoor = "Empid=E10086&Content=" + pct("后门关不上") + "&ParentID=0&pType=" + pct("建议");

}  // namespace

TEST_F(FeedbackKeys, ARepeatedKeyAnswersTheFirstIdentifierAndStoresNothing) {
    const long long before = suggestions();
    auto first = post(kDoor, "5f0c2a4e-7d1b-4c59-9a0e-2d8f1b6c3e71");
    ASSERT_EQ(first.first, 200);
    ASSERT_NE(first.second, "\"0\"");
    EXPECT_EQ(post(kDoor, "5f0c2a4e-7d1b-4c59-9a0e-2d8f1b6c3e71"), first);
    // The employee by card number is the same employee.
    EXPECT_EQ(post("Empid=10086&Content=" + pct("后门关不上") + "&ParentID=0&pType=" + pct("建议"),
                   "5f0c2a4e-7d1b-4c59-9a0e-2d8f1b6c3e71"),
              first);
    EXPECT_EQ(suggestions(), before + 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM submission_keys"), 1);

    // Without the header every post is a new suggestion, as ever.
    auto a = post(kDoor), b = post(kDoor);
    EXPECT_NE(a.second, b.second);
    EXPECT_NE(a.second, first.second);
    EXPECT_EQ(suggestions(), before + 3);
}

TEST_F(FeedbackKeys, OtherContentUnderAUsedKeyIsAConflictAndStoresNothing) {
    const std::string key = "k-1";
    ASSERT_EQ(post(kDoor, key).first, 200);
    const long long stored = suggestions();
    for (const std::string& other :
         {"Empid=E10086&Content=" + pct("后门关不上!") + "&ParentID=0&pType=" + pct("建议"),
          "Empid=E10086&Content=" + pct("后门关不上") + "&ParentID=0&pType=" + pct("咨询"),
          "Empid=E10086&Content=" + pct("后门关不上") + "&ParentID=3&pType=" + pct("建议"),
          "Empid=E10010&Content=" + pct("后门关不上") + "&ParentID=0&pType=" + pct("建议"),
          "Empid=E10086&Content=&ParentID=0&pType=" + pct("建议")}) {
        auto r = post(other, key);
        EXPECT_EQ(r.first, 409) << other;
        EXPECT_NE(r.second.find("Idempotency-Key"), std::string::npos);
    }
    EXPECT_EQ(suggestions(), stored);
}

TEST_F(FeedbackKeys, ARefusedPostKeepsNoKey) {
    const long long before = suggestions();
    EXPECT_EQ(post("Empid=nobody&Content=x&ParentID=0&pType=x", "k-2").second, "\"0\"");
    EXPECT_EQ(post("Empid=E10086&Content=&ParentID=0&pType=x", "k-2").second, "\"0\"");
    EXPECT_EQ(suggestions(), before);
    // The key is still free for the submission it was meant for.
    auto r = post(kDoor, "k-2");
    EXPECT_EQ(r.first, 200);
    EXPECT_NE(r.second, "\"0\"");
}

TEST_F(FeedbackKeys, KeysOutliveARestartOnTheSameDatabase) {
    auto first = post(kDoor, "k-restart");
    ASSERT_EQ(first.first, 200);
    auto up =
        upload(first.second.substr(1, first.second.size() - 2), "door.jpg", "\xFF\xD8 door", "k-restart/0");
    ASSERT_EQ(up.second, "1");
    const long long stored = suggestions();
    restart();
    EXPECT_EQ(post(kDoor, "k-restart"), first);
    EXPECT_EQ(
        upload(first.second.substr(1, first.second.size() - 2), "door.jpg", "\xFF\xD8 door", "k-restart/0"),
        up);
    EXPECT_EQ(suggestions(), stored);
    EXPECT_EQ(count("SELECT COUNT(*) FROM suggestion_images WHERE name='door.jpg'"), 1);
}

TEST_F(FeedbackKeys, PostsRacingWithOneKeyStoreOneSuggestion) {
    const long long before = suggestions();
    std::vector<std::string> answers(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < answers.size(); ++i)
        threads.emplace_back([&, i] { answers[i] = post(kDoor, "k-race").second; });
    for (auto& t : threads) t.join();
    for (auto& a : answers) EXPECT_EQ(a, answers[0]);
    EXPECT_NE(answers[0], "\"0\"");
    EXPECT_EQ(suggestions(), before + 1);
}

TEST_F(FeedbackKeys, UploadsUnderAKeyAreStoredOnceAndReadableWithTheirBytes) {
    auto id = post(kDoor, "k-photos").second;
    id = id.substr(1, id.size() - 2);
    const std::vector<std::string> photos = {"\xFF\xD8\xFF\xE0 first\0with a zero"s, "\x89PNG second",
                                             std::string(300000, '\x5A')};
    for (size_t i = 0; i < photos.size(); ++i) {
        std::string key = "k-photos/" + std::to_string(i), name = "photo" + std::to_string(i) + ".jpg";
        EXPECT_EQ(upload(id, name, photos[i], key), std::make_pair(200, std::string("1")));
        EXPECT_EQ(upload(id, name, photos[i], key), std::make_pair(200, std::string("1")));  // repeated
    }
    // The same key with other bytes, or for another suggestion, is a conflict.
    EXPECT_EQ(upload(id, "photo0.jpg", "other bytes", "k-photos/0").first, 409);
    EXPECT_EQ(upload("1", "photo0.jpg", photos[0], "k-photos/0").first, 409);
    EXPECT_EQ(upload("999999", "x.jpg", "x", "k-unknown").second, "0");

    // What a test outside the server reads: one row per photo naming its file in the data folder.
    EXPECT_EQ(count("SELECT COUNT(*) FROM suggestion_images WHERE suggestion_id=" + id), 3);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dir_ / "office.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 ("SELECT file,name,size FROM suggestion_images WHERE suggestion_id=" + id +
                                  " ORDER BY rowid")
                                     .c_str(),
                                 -1, &s, nullptr),
              SQLITE_OK);
    size_t i = 0;
    while (sqlite3_step(s) == SQLITE_ROW && i < photos.size()) {
        std::string file = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        ASSERT_EQ(file.rfind("uploads/", 0), 0u) << file;
        std::ifstream in(dir_ / "data" / file.substr(8), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        EXPECT_EQ(bytes.str(), photos[i]) << file;
        EXPECT_EQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)),
                  "photo" + std::to_string(i) + ".jpg");
        EXPECT_EQ(sqlite3_column_int64(s, 2), static_cast<long long>(photos[i].size()));
        ++i;
    }
    EXPECT_EQ(i, photos.size());
    sqlite3_finalize(s);
    sqlite3_close(db);
    size_t files = 0;
    for (auto& f : fs::directory_iterator(dir_ / "data")) files += f.is_regular_file();
    EXPECT_EQ(files, photos.size());
}

TEST_F(FeedbackKeys, AnUploadThatCannotBeWrittenStoresNoneOfItsPhotos) {
    auto id = post(kDoor).second;
    id = id.substr(1, id.size() - 2);
    fs::remove_all(dir_ / "data");  // the folder gone: no photo can be written
    EXPECT_EQ(upload(id, "a.jpg", "\xFF\xD8 a", "k-gone").second, "0");
    EXPECT_EQ(count("SELECT COUNT(*) FROM suggestion_images WHERE suggestion_id=" + id), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM upload_keys"), 0);
    // Once it can be written, the same key stores it.
    fs::create_directories(dir_ / "data");
    EXPECT_EQ(upload(id, "a.jpg", "\xFF\xD8 a", "k-gone").second, "1");
    EXPECT_EQ(count("SELECT COUNT(*) FROM suggestion_images WHERE suggestion_id=" + id), 1);
}
