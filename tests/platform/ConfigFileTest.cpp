#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ConfigFile.h"

using namespace busdesk;
namespace fs = std::filesystem;

namespace {

class ConfigFileTest : public testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/busdesk-conf-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/busdesk.conf";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void write(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }
    std::string readDisk(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::string dir_;
    std::string file_;
};

TEST_F(ConfigFileTest, ReadsKeyValueLinesAndNamesEveryBadLineByNumber) {
    write(
        "\xEF\xBB\xBF# office address\r\n"
        "  server = http://a:1/  \r\n"
        "\n"
        "; another comment\n"
        "[busdesk]\n"
        "just some words\n"
        " = value without a key\n"
        "ser ver=x\n"
        "culture=\xC3\x28\n"
        "culture=has\x01control\n"
        "culture=\n"
        "server=http://b:2/");  // no final line end
    auto c = ConfigFile::read(file_);
    EXPECT_TRUE(c.exists);
    ASSERT_EQ(c.entries.size(), 3u);
    EXPECT_EQ(c.entries[0].line, 2);
    EXPECT_EQ(c.entries[0].key, "server");
    EXPECT_EQ(c.entries[0].value, "http://a:1/");  // spaces and the CR dropped
    EXPECT_EQ(c.entries[1].line, 11);
    EXPECT_EQ(c.entries[1].value, "");  // an empty value is the caller's to judge
    EXPECT_EQ(c.entries[2].line, 12);
    EXPECT_EQ(c.entries[2].value, "http://b:2/");

    const std::vector<std::pair<int, std::string>> expected{
        {5, "sections are not used"}, {6, "not a key=value line"}, {7, "no key before"},
        {8, "a key is made of"},      {9, "not UTF-8 text"},       {10, "control character"},
    };
    ASSERT_EQ(c.problems.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string prefix = file_ + ":" + std::to_string(expected[i].first) + ": ";
        EXPECT_EQ(c.problems[i].rfind(prefix, 0), 0u) << c.problems[i];
        EXPECT_NE(c.problems[i].find(expected[i].second), std::string::npos) << c.problems[i];
        EXPECT_NE(c.problems[i].find("line skipped"), std::string::npos) << c.problems[i];
    }
}

TEST_F(ConfigFileTest, AMissingFileIsNoProblemButAPipeAFolderOrAHugeFileIsNotRead) {
    auto missing = ConfigFile::read(dir_ + "/none.conf");
    EXPECT_FALSE(missing.exists);
    EXPECT_TRUE(missing.problems.empty());

    // A pipe nobody writes to would block a plain open for ever.
    const std::string fifo = dir_ + "/fifo.conf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir_ + "/folder.conf";
    fs::create_directory(folder);
    write("server=http://a/\n" + std::string(ConfigFile::kMaxBytes, '#'));
    for (const auto& path : {fifo, folder, file_}) {
        auto c = ConfigFile::read(path);
        EXPECT_TRUE(c.exists) << path;
        EXPECT_TRUE(c.entries.empty()) << path;
        ASSERT_EQ(c.problems.size(), 1u) << path;
        EXPECT_EQ(c.problems[0].rfind(path + ": not read (", 0), 0u) << c.problems[0];
    }
}

TEST_F(ConfigFileTest, SettingAValueKeepsEveryOtherLineAndLeavesOneLineOfTheKey) {
    write("# chosen by IT\nserver=http://old/\nculture=http://c/\nserver=http://older/\n[junk]\n");
    std::string why;
    ASSERT_TRUE(ConfigFile::setValue(file_, "server", std::string("http://new/"), &why)) << why;
    EXPECT_EQ(readDisk(file_), "# chosen by IT\nserver=http://new/\nculture=http://c/\n[junk]\n");
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ASSERT_TRUE(ConfigFile::setValue(file_, "server", std::nullopt, &why)) << why;
    EXPECT_EQ(readDisk(file_), "# chosen by IT\nculture=http://c/\n[junk]\n");

    // A missing file and its missing folder are made.
    const std::string fresh = dir_ + "/new/busdesk.conf";
    ASSERT_TRUE(ConfigFile::setValue(fresh, "server", std::string("http://x/"), &why)) << why;
    EXPECT_EQ(readDisk(fresh), "server=http://x/\n");
    for (const auto& entry : fs::directory_iterator(dir_ + "/new"))
        EXPECT_EQ(entry.path().filename(), "busdesk.conf");  // no temporary left behind
}

TEST_F(ConfigFileTest, ARewriteKeepsTheMarkAndTheLineEndsSoSkippedLinesStaySkipped) {
    // Two marks: the second belongs to the first line, which is skipped. Dropping the first mark
    // on a rewrite would make that line the file's first readable "server" line.
    write("\xEF\xBB\xBF\xEF\xBB\xBFserver = old\n[\rjunk");
    ASSERT_EQ(ConfigFile::read(file_).entries.size(), 0u);
    ASSERT_TRUE(ConfigFile::setValue(file_, "server", std::string("http://new/")));
    auto c = ConfigFile::read(file_);
    ASSERT_EQ(c.entries.size(), 1u);
    EXPECT_EQ(c.entries[0].value, "http://new/");
    EXPECT_EQ(readDisk(file_), "\xEF\xBB\xBF\xEF\xBB\xBFserver = old\n[\rjunk\nserver=http://new/\n");

    // A line with a stray carriage return before its CRLF is skipped, and stays so.
    write("culture=http://c/\r\nserver=http://x/\r\r\n");
    ASSERT_EQ(ConfigFile::read(file_).entries.size(), 1u);
    ASSERT_TRUE(ConfigFile::setValue(file_, "culture", std::string("http://d/")));
    c = ConfigFile::read(file_);
    ASSERT_EQ(c.entries.size(), 1u);
    EXPECT_EQ(c.entries[0].key, "culture");
    EXPECT_EQ(c.entries[0].value, "http://d/");
}

TEST_F(ConfigFileTest, ALinkIsFollowedAndAFileThatCannotBeReadIsNeverWrittenOver) {
    const std::string target = dir_ + "/real.conf";
    std::ofstream(target) << "culture=http://c/\n";
    ASSERT_EQ(::symlink(target.c_str(), file_.c_str()), 0);
    ASSERT_TRUE(ConfigFile::setValue(file_, "server", std::string("http://s/")));
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(readDisk(target), "culture=http://c/\nserver=http://s/\n");

    // A relative link is read from the link's folder; one that leads nowhere names the file to make.
    fs::remove(file_);
    fs::create_directories(dir_ + "/mine");
    ASSERT_EQ(::symlink("mine/new.conf", file_.c_str()), 0);
    ASSERT_TRUE(ConfigFile::setValue(file_, "server", std::string("http://n/")));
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(readDisk(dir_ + "/mine/new.conf"), "server=http://n/\n");

    const std::string huge = dir_ + "/huge.conf";
    const std::string content = "server=http://a/\n" + std::string(ConfigFile::kMaxBytes, '#');
    std::ofstream(huge, std::ios::binary) << content;
    std::string why;
    EXPECT_FALSE(ConfigFile::setValue(huge, "server", std::string("http://b/"), &why));
    EXPECT_NE(why.find("larger than"), std::string::npos) << why;
    EXPECT_EQ(readDisk(huge), content);

    EXPECT_FALSE(ConfigFile::setValue(file_, "server", std::string("http://a/\nculture=http://evil/"), &why));
    EXPECT_FALSE(ConfigFile::setValue(file_, "bad key", std::string("x"), &why));
    EXPECT_EQ(readDisk(target), "culture=http://c/\nserver=http://s/\n");
}

}  // namespace
