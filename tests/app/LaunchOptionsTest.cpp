#include <gtest/gtest.h>

#include "app/LaunchOptions.h"
#include "platform/DateFormat.h"

namespace busdesk {
namespace {

TEST(LaunchOptions, ReadsEveryOptionWithSeparateOrInlineValues) {
    auto o =
        LaunchOptions::parse({"--server", "http://10.0.0.5:8088", "--culture=http://10.0.0.6/", "--profile",
                              "/tmp/p", "--headless", "--script", "s.txt", "--now", "2014-05-20 09:00:00"});
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(o.server, "http://10.0.0.5:8088/");  // the final slash is added
    EXPECT_EQ(o.culture, "http://10.0.0.6/");
    EXPECT_EQ(o.profile, "/tmp/p");
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.script, "s.txt");
    ASSERT_TRUE(o.now);
    EXPECT_EQ(formatDate(*o.now, "yyyy-MM-dd HH:mm:ss"), "2014-05-20 09:00:00");
    EXPECT_FALSE(o.version);
    EXPECT_FALSE(o.console);
    EXPECT_TRUE(LaunchOptions::parse({"--headless", "--console"}).console);
    EXPECT_FALSE(o.textSize);
    EXPECT_EQ(LaunchOptions::parse({"--text-size", "150"}).textSize, 150);
    EXPECT_EQ(LaunchOptions::parse({"--text-size=200%"}).textSize, 200);
}

TEST(LaunchOptions, LangNamesALanguageItSpeaks) {
    EXPECT_EQ(LaunchOptions::parse({"--lang", "en"}).lang, "en");
    EXPECT_EQ(LaunchOptions::parse({"--lang=en_GB.UTF-8"}).lang, "en");
    EXPECT_EQ(LaunchOptions::parse({"--lang", "zh_CN"}).lang, "zh_CN");
    EXPECT_EQ(LaunchOptions::parse({}).lang, std::nullopt);
    for (const char* bad : {"fr", "", "english"})
        EXPECT_EQ(LaunchOptions::parse({"--lang", bad}).error.rfind("bad value for --lang", 0), 0U) << bad;
}

TEST(LaunchOptions, RefusesWhatItCannotUse) {
    struct Case {
        std::vector<std::string> args;
        std::string errorStart;
    };
    const Case cases[] = {
        {{"--bogus"}, "unknown option"},
        {{"--server"}, "--server needs a value"},
        {{"--server", "ftp://x/"}, "bad value for --server"},
        {{"--server", "http://host:99999/"}, "bad value for --server"},
        {{"--culture", "http://host/?page=1"}, "bad value for --culture"},
        {{"--now", "2014-05-20"}, "bad value for --now"},
        {{"--now", "yesterday 09:00:00"}, "bad value for --now"},
        {{"--profile="}, "bad value for --profile"},
        {{"--text-size", "130"}, "bad value for --text-size"},
        {{"--text-size", "2x"}, "bad value for --text-size"},
        {{"--headless", "--shots", "out"}, "--shots needs the window"},
        {{"--headless=1"}, "unknown option"},
    };
    for (const auto& c : cases) {
        auto o = LaunchOptions::parse(c.args);
        EXPECT_EQ(o.error.rfind(c.errorStart, 0), 0u) << c.args.front() << " gave: " << o.error;
    }
}

TEST(LaunchOptions, VersionAndHelpFlags) {
    EXPECT_TRUE(LaunchOptions::parse({"--version"}).version);
    EXPECT_TRUE(LaunchOptions::parse({"-h"}).help);
    EXPECT_NE(std::string(LaunchOptions::usage()).find("--script FILE"), std::string::npos);
}

}  // namespace
}  // namespace busdesk
