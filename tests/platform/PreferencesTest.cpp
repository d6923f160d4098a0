#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/json/parse.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"

using namespace busdesk;
namespace fs = std::filesystem;

namespace {

class PreferencesTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-prefs-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/settings.json";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string readDisk() const {
        std::ifstream in(file_);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void writeDisk(const std::string& text) const {
        std::ofstream out(file_, std::ios::binary);
        out << text;
    }
    std::string dir_;
    std::string file_;
};

}  // namespace

TEST_F(PreferencesTest, ValuesSurviveANewStoreOnTheSameFile) {
    {
        Preferences p(file_);
        EXPECT_TRUE(p.setObject("zt_username", "10086"));
        EXPECT_TRUE(p.setObject("count", 3));
        EXPECT_TRUE(p.setObject("ReadNews", boost::json::object{{"17", "1"}}));
    }
    Preferences again(file_);
    EXPECT_EQ(again.objectForKey("zt_username"), boost::json::value("10086"));
    EXPECT_EQ(again.objectForKey("count"), boost::json::value(3));
    EXPECT_EQ(again.objectForKey("ReadNews"), boost::json::value(boost::json::object{{"17", "1"}}));
    // The file is a plain JSON object of the keys, private to the user.
    EXPECT_TRUE(boost::json::parse(readDisk()).is_object());
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(PreferencesTest, AbsentKeyIsNothingNotEmptyText) {
    Preferences p(file_);
    EXPECT_EQ(p.objectForKey("never"), std::nullopt);
    EXPECT_TRUE(p.setObject("empty", ""));
    EXPECT_EQ(p.objectForKey("empty"), boost::json::value(""));
    // Removing a key that was never there neither fails nor creates a file.
    EXPECT_TRUE(p.removeObject("never"));
    EXPECT_EQ(p.objectForKey("never"), std::nullopt);
}

TEST_F(PreferencesTest, RemovalReachesTheDiskAtOnce) {
    Preferences p(file_);
    p.setObject("zt_password", "secret");
    p.setObject("zt_username", "10086");
    EXPECT_TRUE(p.removeObject("zt_password"));
    // Read the file itself, not the store's memory: a crash now must not bring the password back.
    auto onDisk = boost::json::parse(readDisk()).as_object();
    EXPECT_FALSE(onDisk.contains("zt_password"));
    EXPECT_EQ(onDisk.at("zt_username"), "10086");
    Preferences again(file_);
    EXPECT_EQ(again.objectForKey("zt_password"), std::nullopt);
}

TEST_F(PreferencesTest, DamagedFileIsMovedAsideWithOneLogLineAndStoreStartsEmpty) {
    for (const std::string& garbage : {std::string("{\"zt_username\": \"100"), std::string("[1,2]"),
                                       std::string(""), std::string("\xFF\xFE")}) {
        writeDisk(garbage);
        std::vector<std::string> lines;
        auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
        Preferences p(file_);
        Log::setSink(old);
        EXPECT_EQ(lines.size(), 1u) << garbage;
        EXPECT_TRUE(p.snapshot().empty());
        EXPECT_FALSE(fs::exists(file_));
        std::ifstream aside(file_ + ".corrupt");
        std::stringstream ss;
        ss << aside.rdbuf();
        EXPECT_EQ(ss.str(), garbage);
        // The store still works, and writes a fresh file.
        EXPECT_TRUE(p.setObject("k", "v"));
        EXPECT_EQ(Preferences(file_).objectForKey("k"), boost::json::value("v"));
        fs::remove(file_);
    }
}

TEST_F(PreferencesTest, DamagedFileIsNotOverwrittenWhenItCannotBeMovedAside) {
    writeDisk("{\"zt_username\":\"100");
    // A folder in the way makes the rename fail, for root too.
    fs::create_directories(file_ + ".corrupt/occupied");
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    Preferences p(file_);
    Log::setSink(old);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_FALSE(p.setObject("k", "v"));
    EXPECT_EQ(p.objectForKey("k"), boost::json::value("v"));
    EXPECT_FALSE(p.removeObject("k"));
    EXPECT_EQ(readDisk(), "{\"zt_username\":\"100");
}

TEST_F(PreferencesTest, StandardStoreFollowsTheProfileFolder) {
    Paths::setProfileDir(dir_ + "/profile/");
    EXPECT_EQ(Paths::configDir(), dir_ + "/profile/config");
    EXPECT_EQ(Paths::cacheDir(), dir_ + "/profile/cache");
    EXPECT_EQ(Paths::dataDir(), dir_ + "/profile/data");
    Preferences& a = Preferences::standard();
    EXPECT_EQ(a.filePath(), dir_ + "/profile/config/settings.json");
    a.setObject("time", "t");
    EXPECT_TRUE(fs::exists(dir_ + "/profile/config/settings.json"));
    Paths::setProfileDir(dir_ + "/other");
    Preferences& b = Preferences::standard();
    EXPECT_NE(&a, &b);
    EXPECT_EQ(b.objectForKey("time"), std::nullopt);
    Paths::setProfileDir(dir_ + "/profile");
    EXPECT_EQ(&Preferences::standard(), &a);
    Paths::clearProfileDir();
}

TEST(Paths, XdgVariablesAndHomeFallback) {
    Paths::clearProfileDir();
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    std::string saved = savedConfig ? savedConfig : "";
    ::setenv("XDG_CONFIG_HOME", "/x/conf", 1);
    EXPECT_EQ(Paths::configDir(), "/x/conf/busdesk");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::setenv("HOME", ::getenv("HOME") ? ::getenv("HOME") : "/root", 1);
    EXPECT_EQ(Paths::configDir(), std::string(::getenv("HOME")) + "/.config/busdesk");
    if (savedConfig) {
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}
