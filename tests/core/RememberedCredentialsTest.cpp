#include <gtest/gtest.h>

#include <boost/json/parse.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/PublicMethod.h"
#include "core/RememberedCredentials.h"
#include "core/SettingsKeys.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"
#include "tests/support/PrivateSecretService.h"

using namespace busdesk;
using busdesk::test::PrivateSecretService;
namespace fs = std::filesystem;

namespace {

constexpr const char* kPassword = "开门 Bus#42";
constexpr const char* kIDcardNumber = "11010119900307123X";

class RememberedCredentialsTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-remember-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Paths::setProfileDir(dir_);
        RememberedCredentials::shared().resetForNewRun();
    }
    void TearDown() override {
        RememberedCredentials::shared().resetForNewRun();
        Paths::clearProfileDir();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // A new start of the program on the same profile (and the same keyring).
    void restart() {
        auto& r = RememberedCredentials::shared();
        r.resetForNewRun();
        r.load();
        settle();
    }
    static void settle() { ASSERT_TRUE(RunLoop::main().runUntilIdle()); }
    std::string settingsFile() const {
        std::ifstream in(dir_ + "/config/settings.json", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void writeSettings(const std::string& json) const {
        fs::create_directories(dir_ + "/config");
        std::ofstream(dir_ + "/config/settings.json", std::ios::binary) << json;
    }
    static boost::json::object secretOf(const PrivateSecretService::Item& item) {
        return boost::json::parse(item.secret).as_object();
    }
    std::string dir_;
};

class WithKeyring : public RememberedCredentialsTest {
  protected:
    void SetUp() override {
        RememberedCredentialsTest::SetUp();
        service_ = std::make_unique<PrivateSecretService>();
        ASSERT_TRUE(service_->running()) << service_->error();
    }
    void TearDown() override {
        service_.reset();
        RememberedCredentialsTest::TearDown();
    }
    std::unique_ptr<PrivateSecretService> service_;
};

using WithoutKeyring = RememberedCredentialsTest;

}  // namespace

TEST_F(WithKeyring, ARememberedPasswordGoesToTheKeyringAndTheFileKeepsOnlyTheCard) {
    auto& r = RememberedCredentials::shared();
    r.load();
    r.remember("10086", kPassword);
    r.acceptLogin("10086", kIDcardNumber);
    settle();
    EXPECT_EQ(r.keyringAvailable(), true);

    auto item = service_->item("10086");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->label, "BusDesk – 10086");
    EXPECT_EQ(secretOf(*item).at("password"), kPassword);
    EXPECT_EQ(secretOf(*item).at("IDcard"), kIDcardNumber);

    auto file = settingsFile();
    EXPECT_NE(file.find("\"zt_username\":\"10086\""), std::string::npos) << file;
    EXPECT_EQ(file.find("Bus#42"), std::string::npos) << file;
    EXPECT_EQ(file.find(kIDcardNumber), std::string::npos) << file;

    // The next start finds both in the keyring.
    restart();
    EXPECT_EQ(r.card(), "10086");
    EXPECT_EQ(r.password(), kPassword);
    EXPECT_EQ(r.idCard(), kIDcardNumber);
}

TEST_F(WithKeyring, AnOldSettingsFileIsMovedIntoTheKeyringAndCleanedInOneWrite) {
    writeSettings(
        R"({"zt_username":"10086","zt_password":"开门 Bus#42","EmpId":"E1","IDcard":"11010119900307123X",)"
        R"("ReadNews":{"7":"1"},"Buselfid":"A123"})");
    restart();
    auto& r = RememberedCredentials::shared();
    EXPECT_FALSE(r.migratedWithoutKeyring());
    auto item = service_->item("10086");
    ASSERT_TRUE(item);
    EXPECT_EQ(secretOf(*item).at("password"), kPassword);
    EXPECT_EQ(secretOf(*item).at("IDcard"), kIDcardNumber);

    auto settings = boost::json::parse(settingsFile()).as_object();
    EXPECT_FALSE(settings.contains("zt_password"));
    EXPECT_FALSE(settings.contains("IDcard"));
    // Everything else stays.
    EXPECT_EQ(settings.at("zt_username"), "10086");
    EXPECT_EQ(settings.at("EmpId"), "E1");
    EXPECT_EQ(settings.at("Buselfid"), "A123");
    EXPECT_TRUE(settings.contains("ReadNews"));
    EXPECT_EQ(r.password(), kPassword);

    // Once moved, a restart reads it from the keyring alone.
    restart();
    EXPECT_EQ(r.password(), kPassword);
}

TEST_F(WithKeyring, ANewCardAPasswordChangeAndASignOutKeepTheItemsRight) {
    auto& r = RememberedCredentials::shared();
    r.load();
    r.remember("10086", kPassword);
    settle();
    ASSERT_TRUE(service_->item("10086"));

    // Another card remembered: the first card's item goes with the first card.
    r.remember("10010", "654321");
    settle();
    EXPECT_FALSE(service_->item("10086"));
    ASSERT_TRUE(service_->item("10010"));

    // A password change follows into the keyring only for the remembered card.
    r.passwordChanged("10086", "nobody remembered this");
    r.passwordChanged("10010", "新密码 777");
    settle();
    EXPECT_EQ(secretOf(*service_->item("10010")).at("password"), "新密码 777");
    EXPECT_EQ(r.password(), "新密码 777");

    // Sign-out of 10086, signed in with the box unticked while 10010 was remembered: both go.
    r.acceptLogin("10086", kIDcardNumber);
    r.forget(std::string("10086"));
    settle();
    EXPECT_TRUE(service_->items().empty());
    EXPECT_FALSE(r.card());
    EXPECT_FALSE(r.password());
    EXPECT_EQ(settingsFile().find("10010"), std::string::npos);
}

TEST_F(WithoutKeyring, ThePasswordIsKeptNowhereButTheCardStays) {
    auto& r = RememberedCredentials::shared();
    r.load();
    r.remember("10086", kPassword);
    r.acceptLogin("10086", kIDcardNumber);
    settle();
    EXPECT_EQ(r.keyringAvailable(), false);
    // This run still has it in memory.
    EXPECT_EQ(r.password(), kPassword);
    auto file = settingsFile();
    EXPECT_EQ(file.find("Bus#42"), std::string::npos) << file;
    EXPECT_EQ(file.find(kIDcardNumber), std::string::npos) << file;

    restart();
    EXPECT_EQ(r.card(), "10086");
    EXPECT_FALSE(r.password());
    EXPECT_FALSE(r.migratedWithoutKeyring());
}

TEST_F(WithoutKeyring, AnOldSettingsFileIsCleanedAllTheSameAndSaysSo) {
    writeSettings(R"({"zt_username":"10086","zt_password":"开门 Bus#42","IDcard":"11010119900307123X"})");
    restart();
    auto& r = RememberedCredentials::shared();
    EXPECT_EQ(r.keyringAvailable(), false);
    EXPECT_TRUE(r.migratedWithoutKeyring());
    EXPECT_EQ(r.card(), "10086");
    auto file = settingsFile();
    EXPECT_EQ(file.find("Bus#42"), std::string::npos) << file;
    EXPECT_EQ(file.find(kIDcardNumber), std::string::npos) << file;
    EXPECT_NE(file.find("10086"), std::string::npos) << file;

    // The next start has nothing to move any more.
    restart();
    EXPECT_FALSE(r.migratedWithoutKeyring());
    EXPECT_FALSE(r.password());
}
