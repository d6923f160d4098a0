#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Translation.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

// A GNU .mo file of the given messages, in either byte order, written to `path`.
void writeMo(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& messages,
             bool bigEndian = false) {
    std::string out;
    auto word = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            const int shift = bigEndian ? 24 - 8 * i : 8 * i;
            out += static_cast<char>((v >> shift) & 0xffU);
        }
    };
    const auto n = static_cast<std::uint32_t>(messages.size());
    const std::uint32_t originals = 28, translations = originals + 8 * n, strings = translations + 8 * n;
    word(0x950412deU);
    word(0);
    word(n);
    word(originals);
    word(translations);
    word(0);
    word(0);
    std::string pool;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> at;
    for (const auto& m : messages) {
        at.emplace_back(static_cast<std::uint32_t>(m.first.size()),
                        strings + static_cast<std::uint32_t>(pool.size()));
        pool += m.first + '\0';
    }
    for (const auto& m : messages) {
        at.emplace_back(static_cast<std::uint32_t>(m.second.size()),
                        strings + static_cast<std::uint32_t>(pool.size()));
        pool += m.second + '\0';
    }
    for (const auto& [length, offset] : at) {
        word(length);
        word(offset);
    }
    out += pool;
    std::ofstream(path, std::ios::binary) << out;
}

class Translation : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("busdesk-translation-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        translation::useLanguage(translation::kSourceLanguage);
        fs::remove_all(dir_);
    }
    fs::path dir_;
};

TEST_F(Translation, ChineseIsTheCodesOwnTextAndACatalogueAnswersInItsLanguage) {
    EXPECT_STREQ(tr("登录"), "登录");
    EXPECT_EQ(translation::currentLanguage(), "zh_CN");

    writeMo(dir_ / "en.mo", {{"", "Content-Type: text/plain; charset=UTF-8\n"},
                             {"登录", "Sign in"},
                             {"未译", ""},
                             {"第%1页，共%2页", "%2 pages, this is page %1"}});
    ASSERT_TRUE(translation::useCatalogue("en", (dir_ / "en.mo").string()));
    EXPECT_EQ(translation::currentLanguage(), "en");
    EXPECT_STREQ(tr("登录"), "Sign in");
    EXPECT_EQ(tr(std::string("登录")), "Sign in");
    // A message the catalogue lacks, or holds untranslated, is shown as written.
    EXPECT_STREQ(tr("没有这条"), "没有这条");
    EXPECT_STREQ(tr("未译"), "未译");
    // The places are filled by number, so a translation may reorder them.
    EXPECT_EQ(trFormat("第%1页，共%2页", {"3", "7"}), "7 pages, this is page 3");
    EXPECT_EQ(trFormat("没有这条 %1/%2", {"a", "b"}), "没有这条 a/b");
    // A place without a value stays empty; a percent sign that is no place stays.
    EXPECT_EQ(trFormat("%1 %2 100%", {"x"}), "x  100%");

    translation::useLanguage(translation::kSourceLanguage);
    EXPECT_STREQ(tr("登录"), "登录");
}

TEST_F(Translation, TheOtherByteOrderIsReadAndABrokenFileIsRefusedWithoutHarm) {
    writeMo(dir_ / "be.mo", {{"查询", "Query"}}, true);
    ASSERT_TRUE(translation::useCatalogue("en", (dir_ / "be.mo").string()));
    EXPECT_STREQ(tr("查询"), "Query");

    // Cut short: a string points past the end. Refused; the language in force stays.
    writeMo(dir_ / "cut.mo", {{"查询", "Search"}});
    fs::resize_file(dir_ / "cut.mo", fs::file_size(dir_ / "cut.mo") - 4);
    EXPECT_FALSE(translation::useCatalogue("en", (dir_ / "cut.mo").string()));
    EXPECT_STREQ(tr("查询"), "Query");
    // Not a catalogue, empty, absent.
    std::ofstream(dir_ / "text.mo") << "msgid \"查询\"\nmsgstr \"Search\"\n";
    { std::ofstream empty(dir_ / "empty.mo"); }
    for (const char* name : {"text.mo", "empty.mo", "absent.mo"})
        EXPECT_FALSE(translation::useCatalogue("en", (dir_ / name).string())) << name;
    // A table offset far beyond the file.
    std::string header(28, '\0');
    const std::uint32_t words[] = {0x950412deU, 0, 1, 0xfffffff0U, 0xfffffff8U};
    std::memcpy(header.data(), words, sizeof words);
    std::ofstream(dir_ / "far.mo", std::ios::binary) << header;
    EXPECT_FALSE(translation::useCatalogue("en", (dir_ / "far.mo").string()));
    EXPECT_STREQ(tr("查询"), "Query");
}

TEST_F(Translation, TheEnglishCatalogueOfTheBuildIsCompleteForTheWordsOfTheTrade) {
    ASSERT_TRUE(translation::useCatalogue("en", BUSDESK_BINARY_DIR "/locale/en/LC_MESSAGES/busdesk.mo"));
    for (const char* word : {"登录", "车辆违规", "完成车次", "考勤信息", "车辆领料", "营收情况", "里程情况"})
        EXPECT_STRNE(tr(word), word) << word;
    // Placeholders survive translation in number and order.
    EXPECT_EQ(trFormat("正在上传 %1/%2", {"1", "3"}).find("1/3") != std::string::npos, true);
}

TEST(LanguageChoice, CommandLineOverSettingOverEnvironment) {
    std::map<std::string, std::string> env;
    auto from = [&env](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    using translation::chooseLanguage;
    // Nothing anywhere: the code's own Chinese.
    EXPECT_EQ(chooseLanguage(std::nullopt, "", from), "zh_CN");
    env["LANG"] = "en_GB.UTF-8";
    EXPECT_EQ(chooseLanguage(std::nullopt, "", from), "en");
    EXPECT_EQ(chooseLanguage(std::nullopt, "zh_CN", from), "zh_CN");
    EXPECT_EQ(chooseLanguage(std::string("zh_CN"), "en", from), "zh_CN");
    EXPECT_EQ(chooseLanguage(std::string("en"), "zh_CN", from), "en");
    // LC_ALL over LC_MESSAGES over LANG; the first one set decides, even for a language we lack.
    env["LC_MESSAGES"] = "zh_CN.UTF-8";
    EXPECT_EQ(chooseLanguage(std::nullopt, "", from), "zh_CN");
    env["LC_ALL"] = "de_DE.UTF-8";
    EXPECT_EQ(chooseLanguage(std::nullopt, "", from), "zh_CN");
    env["LC_ALL"] = "C.UTF-8";
    EXPECT_EQ(chooseLanguage(std::nullopt, "", from), "zh_CN");
    // LANGUAGE: its first language we speak, before the locale variables, also on a bare "C".
    env["LANGUAGE"] = "fr:en_US:zh_CN";
    EXPECT_EQ(chooseLanguage(std::nullopt, "", from), "en");
    env["LANGUAGE"] = "C";
    EXPECT_EQ(chooseLanguage(std::nullopt, "", from), "zh_CN");
    // A setting the file holds that means nothing is no choice.
    env.clear();
    env["LANG"] = "en_US";
    EXPECT_EQ(chooseLanguage(std::nullopt, "klingon", from), "en");

    EXPECT_EQ(translation::spokenLanguage("zh_TW.UTF-8"), "zh_CN");
    EXPECT_EQ(translation::spokenLanguage("en"), "en");
    EXPECT_EQ(translation::spokenLanguage("eng"), std::nullopt);
    EXPECT_EQ(translation::spokenLanguage(""), std::nullopt);
}

}  // namespace
}  // namespace busdesk
