#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/CommandHistory.h"
#include "app/TerminalLineEditor.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class CommandHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("busdesk-history-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        path_ = (dir_ / "state" / "history").string();
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    static unsigned mode(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }
    static std::size_t lineCount(const std::string& path) {
        std::ifstream in(path);
        std::size_t n = 0;
        for (std::string line; std::getline(in, line);) ++n;
        return n;
    }
    fs::path dir_;
    std::string path_;
};

TEST_F(CommandHistoryTest, LinesOutliveTheRunInAFileOnlyItsOwnerReads) {
    {
        CommandHistory history(path_);
        EXPECT_TRUE(history.load().empty());  // no file yet
        EXPECT_TRUE(history.append("type #username 10086"));
        EXPECT_TRUE(history.append("tap #loginAction"));
        EXPECT_FALSE(history.append("   "));
        EXPECT_FALSE(history.append("two\nlines"));
    }
    EXPECT_EQ(mode(path_), 0600u);
    CommandHistory next(path_);
    EXPECT_EQ(next.load(), (std::vector<std::string>{"type #username 10086", "tap #loginAction"}));

    // A file left readable by others is narrowed at the next line.
    ::chmod(path_.c_str(), 0644);
    EXPECT_TRUE(next.append("menu left"));
    EXPECT_EQ(mode(path_), 0600u);
}

TEST_F(CommandHistoryTest, OnlyTheNewestLinesAreReadAndALongFileIsCutBackOnce) {
    CommandHistory history(path_, 3);
    for (int i = 1; i <= 7; ++i) ASSERT_TRUE(history.append("wait " + std::to_string(i)));
    EXPECT_EQ(history.load(), (std::vector<std::string>{"wait 5", "wait 6", "wait 7"}));
    // Seven lines are more than twice the limit: the file now holds the three it gave.
    EXPECT_EQ(lineCount(path_), 3u);
    EXPECT_EQ(mode(path_), 0600u);
    ASSERT_TRUE(history.append("wait 8"));
    EXPECT_EQ(history.load(), (std::vector<std::string>{"wait 6", "wait 7", "wait 8"}));
    EXPECT_EQ(lineCount(path_), 4u);  // within twice the limit: left as it is
}

TEST_F(CommandHistoryTest, AFolderThatCannotBeWrittenLosesOnlyTheRecall) {
    fs::create_directories(dir_);
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir_.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that ignore modes";
    CommandHistory history(path_);
    EXPECT_FALSE(history.append("dump"));
    EXPECT_TRUE(history.load().empty());
}

// Whatever someone put at the history's path, the terminal starts at once without recall and
// never writes into it: a named pipe (an open that waited for a writer would hang the start), a
// link to an endless device, a file far too long to be ours.
TEST_F(CommandHistoryTest, APipeADeviceLinkOrAHugeFileLeavesNoRecallAndIsNotWritten) {
    fs::create_directories(dir_ / "state");
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    CommandHistory history(path_);
    EXPECT_TRUE(history.load().empty());
    EXPECT_FALSE(history.append("dump"));
    EXPECT_TRUE(fs::is_fifo(path_));

    fs::remove(path_);
    fs::create_symlink("/dev/zero", path_);
    EXPECT_TRUE(history.load().empty());
    EXPECT_FALSE(history.append("dump"));
    EXPECT_TRUE(fs::is_symlink(path_));

    fs::remove(path_);
    {
        std::ofstream out(path_);
        const std::string line(1023, 'x');
        for (int i = 0; i < 5 * 1024; ++i) out << line << '\n';
    }
    EXPECT_TRUE(history.load().empty());
    EXPECT_EQ(fs::file_size(path_), 5u * 1024 * 1024);
}

TEST(TerminalCompletion, TabInsertsTheOnlyWayOnOrWhatAllWaysShare) {
    using E = TerminalLineEditor;
    EXPECT_EQ(E::insertion("ta", {"tap"}), "p ");
    EXPECT_EQ(E::insertion("tap #s", {"#search", "#selectimg"}), "e");
    EXPECT_EQ(E::insertion("tap #se", {"#search", "#selectimg"}), "");
    EXPECT_EQ(E::insertion("menu ", {"hide", "left", "right"}), "");
    EXPECT_EQ(E::insertion("tap #search", {"#search"}), " ");
    EXPECT_EQ(E::insertion("x", {}), "");
    EXPECT_EQ(E::insertion("alert ", {"确定", "确认"}), "确");
    // 定 and 完 begin with the same two bytes: those are never inserted without the third.
    EXPECT_EQ(E::insertion("alert ", {"确定", "确完"}), "确");
    EXPECT_EQ(E::insertion("alert 确", {"确定", "确完"}), "");
}

}  // namespace
}  // namespace busdesk
