#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "core/OfflineCard.h"
#include "platform/Date.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"

using namespace busdesk;
namespace fs = std::filesystem;

namespace {

// Argon2id refuses the main thread: the blocking forms run on another one.
template <class F>
auto offMain(F f) {
    return std::async(std::launch::async, f).get();
}

class OfflineCardTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-offline-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Paths::setProfileDir(dir_);
        Date::setNow(Date{1'765'000'000});
    }
    void TearDown() override {
        Date::setNow(std::nullopt);
        Paths::clearProfileDir();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static std::string fileBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string dir_;
    const std::string card_ = "110101199001011234";
    const std::string record_ = R"({"EmpID":"E1","IDcard":"110101199001011234","telephone":"13800000000"})";
};

}  // namespace

TEST_F(OfflineCardTest, ALoginIsKeptSealedAndOpensWithItsPasswordOnly) {
    auto kept = offMain([&] { return offline::rememberLogin(card_, "secret-1", record_); });
    ASSERT_TRUE(kept && kept->saved);
    EXPECT_EQ(kept->dataKey.size(), 32u);
    const std::string path = offline::cardFile(card_);
    EXPECT_EQ(path.find(card_), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(fs::path(path).parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    const std::string bytes = fileBytes(path);
    for (const char* secret : {"secret-1", "13800000000", "110101199001011234", "EmpID"})
        EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;
    EXPECT_TRUE(offline::canOffer(card_));
    EXPECT_FALSE(offline::canOffer("other"));

    auto opened = offMain([&] { return offline::openLogin(card_, "secret-1"); });
    ASSERT_TRUE(std::holds_alternative<offline::Opened>(opened));
    EXPECT_EQ(std::get<offline::Opened>(opened).loginRecord, record_);
    EXPECT_TRUE(std::get<offline::Opened>(opened).dataKey == kept->dataKey);

    // The next login with the same password keeps the data key (the stored answers stay readable).
    auto again = offMain([&] { return offline::rememberLogin(card_, "secret-1", record_); });
    EXPECT_TRUE(again->dataKey == kept->dataKey);
}

TEST_F(OfflineCardTest, FiveWrongPasswordsInARowDeleteTheCard) {
    offMain([&] { return offline::rememberLogin(card_, "right", record_); });
    for (int i = 1; i < offline::kMaxWrongTries; ++i) {
        auto refused = offMain([&] { return offline::openLogin(card_, "wrong"); });
        ASSERT_TRUE(std::holds_alternative<offline::Refusal>(refused));
        EXPECT_EQ(std::get<offline::Refusal>(refused), offline::Refusal::WrongPassword);
    }
    // A right one in between starts the count again.
    ASSERT_TRUE(
        std::holds_alternative<offline::Opened>(offMain([&] { return offline::openLogin(card_, "right"); })));
    for (int i = 1; i < offline::kMaxWrongTries; ++i)
        offMain([&] { return offline::openLogin(card_, "wrong"); });
    EXPECT_TRUE(offline::canOffer(card_));
    auto last = offMain([&] { return offline::openLogin(card_, "wrong"); });
    EXPECT_EQ(std::get<offline::Refusal>(last), offline::Refusal::Deleted);
    EXPECT_FALSE(fs::exists(offline::cardFile(card_)));
    EXPECT_FALSE(offline::canOffer(card_));
    EXPECT_EQ(std::get<offline::Refusal>(offMain([&] { return offline::openLogin(card_, "right"); })),
              offline::Refusal::NoCard);
}

TEST_F(OfflineCardTest, AnOldDamagedOrForgottenCardIsNotOffered) {
    offMain([&] { return offline::rememberLogin(card_, "pw", record_); });
    Date::setNow(Date{1'765'000'000 + offline::kMaxAgeSeconds + 1});
    EXPECT_FALSE(offline::canOffer(card_));
    EXPECT_EQ(std::get<offline::Refusal>(offMain([&] { return offline::openLogin(card_, "pw"); })),
              offline::Refusal::NoCard);
    Date::setNow(Date{1'765'000'000});
    EXPECT_TRUE(offline::canOffer(card_));

    const std::string path = offline::cardFile(card_);
    const std::string good = fileBytes(path);
    for (const std::string& damaged :
         {std::string(), good.substr(0, good.size() / 2), std::string("[1,2]"), std::string(100000, '{')}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged;
        EXPECT_FALSE(offline::canOffer(card_));
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << good;
    EXPECT_TRUE(offline::canOffer(card_));
    offline::forget(card_);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(offline::canOffer(card_));
}

TEST_F(OfflineCardTest, AChangedPasswordRewrapsTheSameKey) {
    auto kept = offMain([&] { return offline::rememberLogin(card_, "old", record_); });
    ASSERT_TRUE(offMain([&] { return offline::rewrap(card_, kept->dataKey, "new"); }));
    EXPECT_EQ(std::get<offline::Refusal>(offMain([&] { return offline::openLogin(card_, "old"); })),
              offline::Refusal::WrongPassword);
    auto opened = offMain([&] { return offline::openLogin(card_, "new"); });
    ASSERT_TRUE(std::holds_alternative<offline::Opened>(opened));
    EXPECT_TRUE(std::get<offline::Opened>(opened).dataKey == kept->dataKey);
    EXPECT_FALSE(offMain([&] { return offline::rewrap("nobody", kept->dataKey, "x"); }));
}

TEST_F(OfflineCardTest, TheAsyncFormsAnswerOnTheMainLoop) {
    std::optional<offline::Remembered> kept;
    offline::rememberLoginAsync(card_, SecretBytes(std::string_view("pw")), record_,
                                [&](std::optional<offline::Remembered> r) {
                                    EXPECT_TRUE(RunLoop::main().isOwnerThread());
                                    kept = std::move(r);
                                });
    RunLoop::main().runUntilIdle();
    ASSERT_TRUE(kept);
    std::optional<std::variant<offline::Opened, offline::Refusal>> opened;
    offline::openLoginAsync(
        card_, SecretBytes(std::string_view("pw")),
        [&](std::variant<offline::Opened, offline::Refusal> r) { opened = std::move(r); });
    RunLoop::main().runUntilIdle();
    ASSERT_TRUE(opened && std::holds_alternative<offline::Opened>(*opened));
}
