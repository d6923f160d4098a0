#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include <boost/json/parse.hpp>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "core/OfficeMethods.h"
#include "core/PublicMethod.h"
#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "core/Util.h"
#include "platform/DateFormat.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"

using namespace busdesk;
namespace fs = std::filesystem;

namespace {

// Every test gets its own profile folder, so the standard store starts empty.
class PublicMethodTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-core-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Paths::setProfileDir(dir_);
    }
    void TearDown() override {
        Paths::clearProfileDir();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    boost::json::object onDisk() const {
        std::ifstream in(dir_ + "/config/settings.json");
        std::stringstream ss;
        ss << in.rdbuf();
        return boost::json::parse(ss.str()).as_object();
    }
    std::string dir_;
};

}  // namespace

TEST_F(PublicMethodTest, SettingsRoundTripAndAbsentValuesRemove) {
    EXPECT_EQ(PublicMethod::getObjectForKey(kZtUsername), std::nullopt);
    EXPECT_EQ(PublicMethod::getStringForKey(kZtUsername), std::nullopt);
    PublicMethod::setObject("10086", kZtUsername);
    PublicMethod::setObject(std::string("123456"), kZtPassword);
    EXPECT_EQ(PublicMethod::getStringForKey(kZtUsername), "10086");
    EXPECT_EQ(onDisk().at("zt_password"), "123456");
    // A new store over the same file: what a restart sees.
    EXPECT_EQ(Preferences(dir_ + "/config/settings.json").objectForKey("zt_username"),
              boost::json::value("10086"));

    PublicMethod::setObject(std::optional<std::string>(), kZtPassword);
    EXPECT_EQ(PublicMethod::getObjectForKey(kZtPassword), std::nullopt);
    EXPECT_FALSE(onDisk().contains("zt_password"));
    PublicMethod::setObject(boost::json::value(nullptr), kZtUsername);
    EXPECT_FALSE(onDisk().contains("zt_username"));

    PublicMethod::setObject(42, "n");
    EXPECT_EQ(PublicMethod::getStringForKey("n"), "42");
    PublicMethod::setObject(boost::json::object{{"a", 1}}, "o");
    EXPECT_EQ(PublicMethod::getStringForKey("o"), std::nullopt);
}

TEST_F(PublicMethodTest, LogoutRemovalIsOnDiskAndOtherKeysStay) {
    PublicMethod::setObject("10086", kZtUsername);
    PublicMethod::setObject("123456", kZtPassword);
    PublicMethod::setObject("E1", kEmpId);
    PublicMethod::setObject("3101", kIDcard);
    for (const char* k : {kZtUsername, kZtPassword, kEmpId}) PublicMethod::removeObjectForKey(k);
    auto disk = onDisk();
    EXPECT_EQ(disk.size(), 1u);
    EXPECT_EQ(disk.at("IDcard"), "3101");
    PublicMethod::removeObjectForKey("never-written");
    EXPECT_EQ(onDisk(), disk);
}

TEST_F(PublicMethodTest, NewsReadMarks) {
    EXPECT_FALSE(PublicMethod::getNewsRead("7"));  // no ReadNews at all
    PublicMethod::setNewsRead("7");
    PublicMethod::setNewsRead("7");
    EXPECT_EQ(onDisk().at("ReadNews"), (boost::json::object{{"7", "1"}}));
    EXPECT_TRUE(PublicMethod::getNewsRead("7"));
    EXPECT_FALSE(PublicMethod::getNewsRead("8"));
    PublicMethod::setNewsRead("8");
    EXPECT_EQ(onDisk().at("ReadNews"), (boost::json::object{{"7", "1"}, {"8", "1"}}));
    // Only the text "1" counts as read; a damaged value is replaced by a fresh dictionary.
    PublicMethod::setObject(boost::json::object{{"9", 1}, {"10", "yes"}}, kReadNews);
    EXPECT_FALSE(PublicMethod::getNewsRead("9"));
    EXPECT_FALSE(PublicMethod::getNewsRead("10"));
    PublicMethod::setObject("not a dictionary", kReadNews);
    EXPECT_FALSE(PublicMethod::getNewsRead("7"));
    PublicMethod::setNewsRead("7");
    EXPECT_EQ(onDisk().at("ReadNews"), (boost::json::object{{"7", "1"}}));
}

TEST(PublicMethod, IsBlankString) {
    using V = std::optional<boost::json::value>;
    using S = std::optional<std::string>;
    EXPECT_TRUE(PublicMethod::isBlankString(V()));
    EXPECT_TRUE(PublicMethod::isBlankString(V(boost::json::value(nullptr))));
    EXPECT_TRUE(PublicMethod::isBlankString(V("")));
    EXPECT_TRUE(PublicMethod::isBlankString(V(" \t\r\n ")));
    EXPECT_TRUE(PublicMethod::isBlankString(S()));
    EXPECT_TRUE(PublicMethod::isBlankString(S("\n\n")));
    EXPECT_TRUE(PublicMethod::isBlankString(S("\xE3\x80\x80 \xC2\xA0")));  // ideographic and no-break space
    EXPECT_FALSE(PublicMethod::isBlankString(S("  a  ")));
    EXPECT_FALSE(PublicMethod::isBlankString(V("\t\xE4\xB8\xAD\n")));
    EXPECT_FALSE(PublicMethod::isBlankString(S("0")));
    EXPECT_FALSE(PublicMethod::isBlankString(S(" \xFF ")));  // bytes that are not text
    EXPECT_FALSE(PublicMethod::isBlankString(S(" \xE3\x80")));
    EXPECT_FALSE(PublicMethod::isBlankString(V(0)));
    EXPECT_FALSE(PublicMethod::isBlankString(V(boost::json::array{})));
    EXPECT_TRUE(PublicMethod::isBlankString(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(PublicMethod::isBlankString("x"));
}

TEST(PublicMethod, UniqueStringIs32UpperHexAndFresh) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        std::string s = PublicMethod::getUniqueStrByUUID();
        ASSERT_EQ(s.size(), 32u);
        EXPECT_EQ(s.find_first_not_of("0123456789ABCDEF"), std::string::npos) << s;
        seen.insert(s);
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(PublicMethod, SharedEngineIsOneInstanceAcrossThreads) {
    std::vector<PublicMethod*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &PublicMethod::sharedEngine(); });
    }
    for (auto& t : threads) t.join();
    for (auto* p : seen) EXPECT_EQ(p, &PublicMethod::sharedEngine());
    EXPECT_EQ(Session::shared().loginResult(), nullptr);
}

TEST(PublicMethod, DateHelpers) {
    std::unique_ptr<icu::TimeZone> saved(icu::TimeZone::createDefault());
    ASSERT_TRUE(setDeviceTimeZone("Asia/Shanghai"));
    auto d = PublicMethod::getDateFromString("2025-01-31 23:30:00", "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(d);
    EXPECT_EQ(Util::stringFromDate_yyMMdd(*d), "2025-01-31");
    EXPECT_EQ(PublicMethod::getDateString(*d, "yyyy-MM-01"), "2025-01-01");
    EXPECT_EQ(PublicMethod::getDateString(*d, "yyyy-MM"), "2025-01");
    EXPECT_EQ(PublicMethod::getDateFromString("2025-01-31", "yyyy-MM"), std::nullopt);
    EXPECT_EQ(PublicMethod::getDateFromString("31/01/2025", "yyyy-MM-dd"), std::nullopt);
    icu::TimeZone::adoptDefault(saved.release());
}

TEST(PublicMethod, CatalogueBuildsExactAddressesFromOneBase) {
    const std::string builtIn = PublicMethod::officeBaseURL();
    EXPECT_EQ(builtIn.back(), '/');
    PublicMethod::setOfficeBaseURL("http://office.example:8088/");
    EXPECT_EQ(PublicMethod::getLoginInfo(), "http://office.example:8088/OfficeServiceQ/User_Login/");
    EXPECT_EQ(PublicMethod::changePassword(),
              "http://office.example:8088/OfficeServiceQ/User_ChangePassword/");
    EXPECT_EQ(PublicMethod::getQuerySalary(), "http://office.example:8088/OfficeServiceQ/Query_Salary/");
    EXPECT_EQ(PublicMethod::addUrlPreWithName(OfficeMethod::Query_ByNewInfoPartNP),
              "http://office.example:8088/OfficeServiceQ/Query_ByNewInfoPartNP/");
    EXPECT_EQ(PublicMethod::addUrlPreWithNameNoPara(OfficeMethod::Query_CompanyLogo),
              "http://office.example:8088/OfficeServiceQ/Query_CompanyLogo");
    EXPECT_EQ(PublicMethod::addUrlPreWithName(OfficeMethod::UploadPictureFromID) + "57",
              "http://office.example:8088/OfficeServiceQ/UploadPictureFromID/57");
    // Names go in as given: no escaping of spaces or Chinese.
    EXPECT_EQ(PublicMethod::addUrlPreWithName("Query Arrange \xE6\x8E\x92\xE7\x8F\xAD"),
              "http://office.example:8088/OfficeServiceQ/Query Arrange \xE6\x8E\x92\xE7\x8F\xAD/");
    EXPECT_EQ(PublicMethod::addUrlPreWithNameNoPara("a%20b"),
              "http://office.example:8088/OfficeServiceQ/a%20b");

    // One base moves every address; a base without its final slash still gives sound addresses.
    PublicMethod::setOfficeBaseURL("https://10.0.0.9:9000");
    EXPECT_EQ(PublicMethod::officeBaseURL(), "https://10.0.0.9:9000/");
    EXPECT_EQ(PublicMethod::getLoginInfo(), "https://10.0.0.9:9000/OfficeServiceQ/User_Login/");
    for (const char* name : OfficeMethod::kAll) {
        EXPECT_EQ(PublicMethod::addUrlPreWithName(name),
                  "https://10.0.0.9:9000/OfficeServiceQ/" + std::string(name) + "/");
    }
    PublicMethod::setOfficeBaseURL("");
    EXPECT_EQ(PublicMethod::officeBaseURL(), builtIn);

    const std::string culture = PublicMethod::cultureBaseURL();
    PublicMethod::setCultureBaseURL("http://culture.example");
    EXPECT_EQ(PublicMethod::cultureBaseURL(), "http://culture.example/");
    PublicMethod::setCultureBaseURL("");
    EXPECT_EQ(PublicMethod::cultureBaseURL(), culture);
}

TEST(OfficeMethods, ConstantsAreTheMethodNames) {
    EXPECT_STREQ(OfficeMethod::User_Login, "User_Login");
    EXPECT_STREQ(OfficeMethod::Query_BusdaymileInfoOnedayByDriver, "Query_BusdaymileInfoOnedayByDriver");
    EXPECT_STREQ(OfficeMethod::FeedBackInfoNP, "FeedBackInfoNP");
    std::set<std::string> unique(std::begin(OfficeMethod::kAll), std::end(OfficeMethod::kAll));
    EXPECT_EQ(unique.size(), 32u);
    EXPECT_STREQ(kEmpId, "EmpId");
    EXPECT_STREQ(kZtUsername, "zt_username");
    EXPECT_STREQ(kReadNews, "ReadNews");
}
